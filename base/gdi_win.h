// Owners for drawing: GDI objects, device contexts and the objects selected into them.
#pragma once
#include <windows.h>

#include "base/owner_win.h"

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using GdiFont = Owner<HFONT, DeleteGdiObject>;
using GdiBitmap = Owner<HBITMAP, DeleteGdiObject>;
using GdiPen = Owner<HPEN, DeleteGdiObject>;

struct DeleteDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
// A device context of CreateCompatibleDC.
using MemoryDc = Owner<HDC, DeleteDc>;

struct ReleaseScreenDc {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
// The screen's device context, of GetDC(nullptr).
using ScreenDc = Owner<HDC, ReleaseScreenDc>;

// An object selected into a device context until the selection goes, which puts back the one
// it replaced: a GDI object is deleted only once no device context holds it.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (old_) SelectObject(dc_, old_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

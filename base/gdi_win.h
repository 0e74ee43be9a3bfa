// Owners for drawing: GDI objects, device contexts and the objects selected into them.
#pragma once
#include <windows.h>

#include "base/owner_win.h"

template <typename Object> struct LentGdiObject {
    using Type = Object;
    static Type None() { return nullptr; }
    static void GiveBack(Type object) { DeleteObject(object); }
};
using GdiFont = Owner<LentGdiObject<HFONT>>;
using GdiBitmap = Owner<LentGdiObject<HBITMAP>>;
using GdiPen = Owner<LentGdiObject<HPEN>>;

struct LentMemoryDc {
    using Type = HDC;
    static Type None() { return nullptr; }
    static void GiveBack(Type dc) { DeleteDC(dc); }
};
// A device context of CreateCompatibleDC.
using MemoryDc = Owner<LentMemoryDc>;

// The screen's device context, for as long as it lives.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

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

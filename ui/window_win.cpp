#include "ui/window.h"

#include <unordered_map>
#include <utility>

HINSTANCE g_Instance;
HWND g_MainWindow;
int g_Dpi = kLayoutDpi;

namespace {

std::vector<HWND> g_CreationOrder; // every control, in the order it was created
std::unordered_map<int, NotifyHandler> g_NotifyHandlers;
ControlFonts g_Fonts;

// A control as it was created: its place in the 96-DPI layout (relative to the page area of the
// tab control `anchor`, when there is one), its font and, for a list, its column widths.
struct Placed {
    int id;
    Box box;
    int anchor;
    ControlFont font;
    std::vector<int> columns;
};
std::vector<Placed> g_Placed;

Placed* PlacedControl(int id) {
    for (Placed& p : g_Placed)
        if (p.id == id) return &p;
    return nullptr;
}

// A place of the 96-DPI layout in client pixels at the window's DPI.
RECT PlaceRect(const Box& place, int anchor) {
    Box at = Scaled(place, g_Dpi);
    if (anchor >= 0) {
        // The tab control's page area is read back from it: device pixels already.
        RECT page = ControlRect(anchor);
        SendMessageW(Control(anchor), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
        at.x += page.left;
        at.y += page.top;
    }
    return {at.x, at.y, at.x + at.width, at.y + at.height};
}

} // namespace

HFONT FontOf(ControlFont font) {
    if (font == ControlFont::Small && g_Fonts.smallFont.Valid()) return g_Fonts.smallFont.Get();
    return g_Fonts.dialogFont.Valid() ? g_Fonts.dialogFont.Get()
                                      : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND Control(int id) {
    return GetDlgItem(g_MainWindow, id);
}

std::wstring ControlText(int id) {
    HWND hwnd = Control(id);
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void SetControlText(int id, const std::wstring& text) {
    SetWindowTextW(Control(id), text.c_str());
}

void EnableControl(int id, bool enable) {
    EnableWindow(Control(id), enable ? TRUE : FALSE);
}

void ShowControl(int id, bool show) {
    ShowWindow(Control(id), show ? SW_SHOW : SW_HIDE);
}

bool CanTakeFocus(HWND hwnd) {
    return hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

RECT ControlRect(int id) {
    RECT r = {};
    HWND hwnd = Control(id);
    if (!hwnd) return r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, g_MainWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

ControlFonts SetControlFonts(ControlFonts fonts) {
    std::swap(g_Fonts, fonts);
    return fonts;
}

HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                   const Box& place, int id, ControlFont font, int anchor) {
    const RECT r = PlaceRect(place, anchor);
    HWND hwnd = CreateWindowExW(
        exStyle, className, text, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
        g_MainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_Instance, nullptr);
    if (!hwnd) return nullptr;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(font)), FALSE);
    g_CreationOrder.push_back(hwnd);
    const Placed placed = {id, place, anchor, font, {}};
    if (Placed* known = PlacedControl(id))
        *known = placed;
    else
        g_Placed.push_back(placed);
    return hwnd;
}

Box LayoutBox(int id) {
    const Placed* p = PlacedControl(id);
    return p ? p->box : Box{0, 0, 0, 0};
}

void PlaceControls() {
    // Those in the client area first, since the others lie in a tab control's page area, which
    // follows the tab control's place and font.
    for (int pass = 0; pass < 2; ++pass) {
        for (const Placed& p : g_Placed) {
            HWND hwnd = Control(p.id);
            if (!hwnd || (p.anchor >= 0) != (pass == 1)) continue;
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(p.font)), FALSE);
            const RECT r = PlaceRect(p.box, p.anchor);
            SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            for (size_t i = 0; i < p.columns.size(); ++i)
                SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, i, Scaled(p.columns[i], g_Dpi));
        }
    }
}

const std::vector<HWND>& ControlsInCreationOrder() {
    return g_CreationOrder;
}

void AddListColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scaled(width, g_Dpi);
    column.pszText = const_cast<wchar_t*>(title);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    if (Placed* p = PlacedControl(GetDlgCtrlID(list))) {
        if (p->columns.size() <= static_cast<size_t>(index)) p->columns.resize(index + 1);
        p->columns[index] = width;
    }
}

void SetNotifyHandler(int id, NotifyHandler handler) {
    g_NotifyHandlers[id] = handler;
}

LRESULT HandleNotify(LPARAM lParam, bool& handled) {
    handled = false;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) return 0;
    const auto it = g_NotifyHandlers.find(static_cast<int>(header->idFrom));
    if (it == g_NotifyHandlers.end() || it->second == nullptr) return 0;
    // The window procedure calls this; no exception may leave it.
    try {
        return it->second(*header, lParam, handled);
    } catch (...) {
        handled = false;
        return 0;
    }
}

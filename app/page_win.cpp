#include "app/main_window.h"

namespace {

// Whether the keyboard can reach the window: shown and enabled, and so are its parents.
bool CanTakeFocus(HWND hwnd) {
    return hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

} // namespace

PageVisit::PageVisit(int replaced, int pageControl, std::initializer_list<int> keepCaptions)
    : replaced_(replaced), pageControl_(pageControl), opener_(GetFocus()),
      frameCaption_(ControlText(TaskFrame)) {
    if (opener_ != nullptr && !IsChild(g_MainWindow, opener_)) opener_ = nullptr;
    for (int id : keepCaptions)
        keptCaptions_.emplace_back(id, ControlText(id));
    if (replaced_ >= 0) ShowControl(replaced_, false);
}

PageVisit::~PageVisit() {
    // Leaving touches only windows; nothing here throws.
    Leave();
}

void PageVisit::Disable(std::initializer_list<int> ids) {
    // A disabled or hidden control that keeps the focus would leave Tab with nowhere to start.
    HWND focus = GetFocus();
    bool moveFocus = focus == nullptr || !CanTakeFocus(focus);
    for (int id : ids)
        if (Control(id) == focus) moveFocus = true;
    if (moveFocus && Control(pageControl_) != nullptr) SetFocus(Control(pageControl_));
    for (int id : ids) {
        EnableControl(id, false);
        disabled_.push_back(id);
    }
}

void PageVisit::Leave() {
    if (left_) return;
    left_ = true;
    HWND page = Control(pageControl_);
    if (page != nullptr) {
        ShowWindow(page, SW_HIDE);
        wchar_t className[32] = {};
        GetClassNameW(page, className, 32);
        if (lstrcmpiW(className, WC_LISTVIEWW) == 0) SendMessageW(page, LVM_DELETEALLITEMS, 0, 0);
    }
    if (replaced_ >= 0) ShowControl(replaced_, true);
    for (int id : disabled_)
        EnableControl(id, true);
    SetControlText(TaskFrame, frameCaption_);
    for (const auto& kept : keptCaptions_)
        SetControlText(kept.first, kept.second);
    if (CanTakeFocus(opener_)) SetFocus(opener_);
    IgnoreClicksFor(TerminateButton);
}

HWND CreateListView(int id, const Box& place, DWORD extraStyle, DWORD extendedStyle) {
    HWND list = CreateControl(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | extraStyle,
                              place, id);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    return list;
}

int AddListRow(HWND list, const std::vector<std::wstring>& cells) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
    int row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    for (size_t i = 1; i < cells.size(); ++i) {
        LVITEMW sub = {};
        sub.iSubItem = static_cast<int>(i);
        sub.pszText = const_cast<wchar_t*>(cells[i].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
    return row;
}

#include "app/main_window.h"

PageState EnterPage(int replaced, std::initializer_list<int> keepCaptions,
                    std::initializer_list<int> disable) {
    PageState state;
    state.replaced = replaced;
    state.frameCaption = ControlText(TaskFrame);
    for (int id : keepCaptions)
        state.keptCaptions.emplace_back(id, ControlText(id));
    if (replaced >= 0) ShowControl(replaced, false);
    for (int id : disable) {
        EnableControl(id, false);
        state.disabled.push_back(id);
    }
    return state;
}

void LeavePage(const PageState& state, int pageControl) {
    HWND page = Control(pageControl);
    ShowWindow(page, SW_HIDE);
    char className[32] = {};
    GetClassNameA(page, className, sizeof className);
    if (lstrcmpiA(className, WC_LISTVIEWA) == 0) SendMessageA(page, LVM_DELETEALLITEMS, 0, 0);
    if (state.replaced >= 0) ShowControl(state.replaced, true);
    for (int id : state.disabled)
        EnableControl(id, true);
    SetControlText(TaskFrame, state.frameCaption);
    for (const auto& kept : state.keptCaptions)
        SetControlText(kept.first, kept.second);
}

HWND CreateListView(int id, const RECT& r, DWORD extraStyle, DWORD extendedStyle) {
    HWND list = CreateControl(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | extraStyle,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, id);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    return list;
}

void AddListColumn(HWND list, int index, const char* title, int width, int format) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

int AddListRow(HWND list, const std::vector<std::string>& cells) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells.empty() ? "" : cells[0].c_str());
    int row =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    for (size_t i = 1; i < cells.size(); ++i) {
        LVITEMA sub = {};
        sub.iSubItem = static_cast<int>(i);
        sub.pszText = const_cast<char*>(cells[i].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    }
    return row;
}

#include "ui/log_list.h"

#include "ui/window.h"

int AppendLogListLine(const std::wstring& line) {
    const HWND list = Control(LogList);
    if (list == nullptr) return -1;
    // Held back while the line goes in and is scrolled to, the list redraws once, not twice.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    const LRESULT index =
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), (LPARAM)line.c_str());
    if (index >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    return index < 0 ? -1 : static_cast<int>(index);
}

std::vector<std::wstring> LogListLines() {
    std::vector<std::wstring> lines;
    const HWND list = Control(LogList);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return lines;
    lines.reserve(static_cast<size_t>(count));
    std::vector<wchar_t> buffer;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            lines.emplace_back();
            continue;
        }
        buffer.assign(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT got =
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), (LPARAM)buffer.data());
        lines.emplace_back(buffer.data(), got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    }
    return lines;
}

#include "settings/session_log.h"

#include "app/main_window.h"

// Minimal version until the session log lands: lines reach the list without a prefix.
void BuildSessionHeader() {}
void AddLogLine(const std::string& message) {
    HWND list = Control(LogList);
    LRESULT index = SendMessageA(list, LB_INSERTSTRING, (WPARAM)-1, (LPARAM)message.c_str());
    SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
}
void WriteSessionLog() {}

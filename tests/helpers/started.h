// How a helper tells the test that started it that it is ready: its imports are loaded and its
// own set-up is done, so what the test reads of it (modules, threads, rights) stays as it is.
// The sign is an event named after the process id, which lives as long as the process.
#pragma once
#include <windows.h>

#include <string>

inline std::wstring StartedEventName(DWORD processId) {
    return L"morvane-helper-ready-" + std::to_wstring(processId);
}

inline void SignalReady() {
    // Never closed: the event ends with the process.
    CreateEventW(nullptr, TRUE, TRUE, StartedEventName(GetCurrentProcessId()).c_str());
}

// A kernel handle that closes itself, and a file write that does not stop at a short write.
#pragma once
#include <windows.h>

#include <string>

#include "base/owner_win.h"

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A handle of a file, a process, a thread or a snapshot; both null and INVALID_HANDLE_VALUE
// stand for none, as those calls give either on failure.
using HandleGuard = Owner<HANDLE, CloseKernelHandle>;

// Writes all of data; false when the system refuses any part of it.
inline bool WriteAll(HANDLE file, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const size_t rest = data.size() - done;
        const DWORD chunk = rest > 0x100000 ? 0x100000 : static_cast<DWORD>(rest);
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

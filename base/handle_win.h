// A kernel handle that closes itself, and a file write that does not stop at a short write.
#pragma once
#include <windows.h>

#include <string>

// Both null and INVALID_HANDLE_VALUE stand for "no handle", so it owns the results of file,
// process and snapshot calls alike. A move hands the handle on; the guard moved from holds none.
class HandleGuard {
  public:
    explicit HandleGuard(HANDLE handle = nullptr) : handle_(handle) {}
    ~HandleGuard() { Close(); }
    HandleGuard(HandleGuard&& other) noexcept : handle_(other.Release()) {}
    HandleGuard& operator=(HandleGuard&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    void Close() {
        if (Valid()) CloseHandle(handle_);
        handle_ = nullptr;
    }
    // Closes the handle held and takes another.
    void Reset(HANDLE handle) {
        Close();
        handle_ = handle;
    }
    // Gives the handle up to the caller, who closes it from then on.
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }

  private:
    HANDLE handle_;
};

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

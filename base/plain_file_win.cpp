#include "base/plain_file_win.h"

#include "base/bound_entry_win.h"
#include "base/handle_win.h"

namespace {

// The system's random source (RtlGenRandom), bound by name at first use: it has no import
// library entry of its own.
bool SystemRandomBytes(void* buffer, size_t size) {
    using GenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);
    static const GenRandomFn genRandom =
        BoundEntry<GenRandomFn>(GetModuleHandleW(L"advapi32.dll"), "SystemFunction036");
    return genRandom != nullptr && size <= MAXDWORD &&
           genRandom(buffer, static_cast<ULONG>(size)) != FALSE;
}

// The file's disposition (FILE_DISPOSITION_INFO, class 4), set through SetFileInformationByHandle
// where the system has it (Vista and later).
bool SystemMarkForDeletion(HANDLE file, bool gone) {
    using SetInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const SetInformationFn setInformation = BoundEntry<SetInformationFn>(
        GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle");
    const int kDispositionClass = 4;
    BOOLEAN disposition = gone ? TRUE : FALSE;
    return setInformation != nullptr &&
           setInformation(file, kDispositionClass, &disposition, sizeof disposition) != FALSE;
}

} // namespace

FileCalls g_FileCalls = {CreateFileW, GetFileInformationByHandle, SystemRandomBytes,
                         SystemMarkForDeletion};

std::wstring RandomNamePart() {
    unsigned char bytes[8];
    if (!g_FileCalls.randomBytes(bytes, sizeof bytes)) return std::wstring();
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

bool IsPlainFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return g_FileCalls.fileInformation(file, &info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ==
               0 &&
           info.nNumberOfLinks == 1;
}

HANDLE OpenPlainFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) {
    HandleGuard file(g_FileCalls.createFile(
        path.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr, disposition,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr));
    if (!file.Valid()) return INVALID_HANDLE_VALUE;
    const bool created = disposition == CREATE_NEW ||
                         (disposition == OPEN_ALWAYS && GetLastError() != ERROR_ALREADY_EXISTS);
    if (IsPlainFile(file.Get())) return file.Release();
    file.Reset();
    // Deleting the name never reaches through it: a link planted there goes, not its target.
    if (created) DeleteFileW(path.c_str());
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

#include "base/whole_file_win.h"

#include <cstdint>
#include <new>
#include <vector>

#include "base/file_path.h"
#include "base/handle_win.h"
#include "base/plain_file_win.h"

namespace {

// Different temporary names tried before a save gives up.
const int kTemporaryNameTries = 8;

} // namespace

bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    }
    full.resize(length < full.size() ? length : 0);
    return full;
}

std::wstring FileCallPath(const std::wstring& path) {
    if (path.empty() || IsDevicePath(path)) return path;
    const std::wstring full = FullPathName(path);
    return LongPathForm(full.empty() ? path : full);
}

bool ReadWholeFile(const std::wstring& path, std::string& text) {
    HandleGuard file(CreateFileW(FileCallPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && ReadFileContent(file.Get(), text);
}

bool ReadFileContent(HANDLE file, std::string& text) {
    text.clear();
    try {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
            static_cast<uint64_t>(size.QuadPart) < text.max_size()) {
            text.reserve(static_cast<size_t>(size.QuadPart));
        }
        std::vector<char> chunk(0x10000);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
                return false;
            }
            if (got == 0) break;
            text.append(chunk.data(), got);
        }
    } catch (const std::bad_alloc&) {
        // A file too big for memory counts as unreadable.
        text.clear();
        return false;
    }
    return true;
}

HANDLE CreateTemporaryBeside(const std::wstring& target, std::wstring& temp, DWORD flags) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        const std::wstring part = RandomNamePart();
        if (part.empty()) break;
        // Longer than the file's own name, so it takes the long-path form by itself.
        temp = LongPathForm(target + L"." + part + L".tmp");
        const HANDLE file =
            OpenPlainFile(temp, GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW, flags);
        if (file != INVALID_HANDLE_VALUE) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool Replaceable(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    const HandleGuard file(g_FileCalls.createFile(
        target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file.Valid();
}

bool ReplaceFileContent(const std::wstring& path, const std::string& content) {
    const std::wstring target = FileCallPath(path);
    // A read-only file is the user's word that it stays as it is.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    std::wstring temp;
    HandleGuard file(CreateTemporaryBeside(target, temp));
    if (!file.Valid()) return false;
    const bool written = WriteAll(file.Get(), content) && FlushFileBuffers(file.Get());
    file.Reset();
    // The rename replaces whatever lies at the name, a link included, never what it points at.
    if (!written || !MoveFileExW(temp.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

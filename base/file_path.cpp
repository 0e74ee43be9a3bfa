#include "base/file_path.h"

namespace {

bool IsSlash(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

} // namespace

std::wstring FilePart(const std::wstring& path) {
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool IsDevicePath(const std::wstring& path) {
    return path.size() >= 4 && IsSlash(path[0]) && IsSlash(path[1]) &&
           (path[2] == L'?' || path[2] == L'.') && IsSlash(path[3]);
}

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < kLongPathFrom || IsDevicePath(path)) return path;
    std::wstring prefixed;
    if (IsDriveLetter(path[0]) && path[1] == L':' && IsSlash(path[2])) {
        prefixed = L"\\\\?\\" + path;
    } else if (IsSlash(path[0]) && IsSlash(path[1])) {
        prefixed = L"\\\\?\\UNC\\" + path.substr(2);
    } else {
        return path;
    }
    for (wchar_t& c : prefixed)
        if (c == L'/') c = L'\\';
    return prefixed;
}

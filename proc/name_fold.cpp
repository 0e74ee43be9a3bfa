#include "proc/name_fold.h"

#include <algorithm>

std::wstring NameFromBuffer(const wchar_t* buffer, size_t capacity, size_t reportedLength) {
    if (buffer == nullptr || reportedLength == 0) return std::wstring();
    const size_t limit = std::min(capacity, reportedLength);
    size_t length = 0;
    while (length < limit && buffer[length] != L'\0')
        ++length;
    return std::wstring(buffer, length);
}

std::wstring ProgramNameFromPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (!name.empty() && name[0] == L'"') name.erase(0, 1);
    const size_t quote = name.find(L'"');
    if (quote != std::wstring::npos) name.erase(quote);
    if (name.size() > 1) {
        const size_t dot = name.find(L'.', 1);
        if (dot != std::wstring::npos) name.erase(dot);
    }
    return name;
}

int SlotCount(uint64_t bytes, size_t slotSize, int maxSlots) {
    if (slotSize == 0 || maxSlots <= 0) return 0;
    const uint64_t slots = bytes / slotSize;
    return slots > static_cast<uint64_t>(maxSlots) ? maxSlots : static_cast<int>(slots);
}

std::wstring DisplayName(const ProcessListEntry& entry) {
    if (entry.id == 0) return L"IDLE";
    if (entry.rawName == L"?") return L"System";
    return entry.rawName.empty() ? entry.listedName : entry.rawName;
}

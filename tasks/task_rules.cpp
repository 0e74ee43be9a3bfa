#include "tasks/task_rules.h"

#include <algorithm>

#include "base/format.h"
#include "proc/name_fold.h"

namespace {

// Characters of the bytes 0xC0-0xFF of the code page the rules follow.
std::wstring WesternUpperHalf() {
    std::wstring half;
    for (wchar_t c = 0xC0; c <= 0xFF; ++c)
        half += c;
    return half;
}

std::wstring g_UpperHalf = WesternUpperHalf();

} // namespace

void SetAnsiUpperHalf(const std::wstring& bytesC0ToFF) {
    if (bytesC0ToFF.size() == 64) g_UpperHalf = bytesC0ToFF;
}

std::wstring UpperAnsi(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - 0x20);
            continue;
        }
        if (c < 0x80) continue;
        // The byte 0x20 below the one that writes c; only when the code page has both.
        const size_t at = g_UpperHalf.find(c, 32);
        if (at != std::wstring::npos && g_UpperHalf[at - 32] != 0) c = g_UpperHalf[at - 32];
    }
    return text;
}

SystemFolders g_SystemFolders;

SystemFolders::SystemFolders(const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders) {
        std::wstring upper = UpperAnsi(folder);
        while (!upper.empty() && upper.back() == L'\\')
            upper.pop_back();
        // A bare backslash would stand for every path that starts with one.
        if (upper.empty()) continue;
        folders_.push_back(upper + L"\\");
    }
}

bool SystemFolders::Hold(const std::wstring& upperPath) const {
    return std::any_of(folders_.begin(), folders_.end(), [&](const std::wstring& folder) {
        return upperPath.compare(0, folder.size(), folder) == 0;
    });
}

bool IsCriticalTask(const std::wstring& fileName, int32_t pid, const SystemFolders& system) {
    const std::wstring f = UpperAnsi(fileName);
    return pid == 4 || f.find(L"\\SYSTEM32\\") != std::wstring::npos || system.Hold(f);
}

OwnTask::OwnTask(const std::wstring& programPath, SameName same)
    : name_(ProgramNameFromPath(programPath) + L".exe"), upper_(UpperAnsi(name_)), same_(same) {}

bool OwnTask::Is(const TaskRecord& r) const {
    return r.SystemName.empty() ? UpperAnsi(r.Name) == upper_ : same_(r.SystemName, name_);
}

bool IsUnnecessaryTask(const std::wstring& fileName, const std::wstring& name, bool ownTask,
                       int32_t enableDetectOwnTask, const SystemFolders& system) {
    const std::wstring f = UpperAnsi(fileName);
    const std::wstring n = UpperAnsi(name);
    if (f.empty()) return false;
    auto contains = [&f](const wchar_t* pattern) { return f.find(pattern) != std::wstring::npos; };
    // Unnecessary outside C:\WINDOWS\SYSTEM32, on any other drive too, unless an exception holds.
    bool checked = !contains(L"C:\\WINDOWS\\SYSTEM32");
    // Where Windows lives elsewhere, and its 32-bit and app-host folders.
    if (system.Hold(f)) checked = false;
    if (contains(L"SYSTEM32\\SMSS.EXE")) checked = false;
    if (contains(L"WINDOWS\\EXPLORER.EXE")) checked = false;
    if (n == L"SYSTEM") checked = false;
    if (ownTask && enableDetectOwnTask == 1) checked = false;
    return checked;
}

const ListColumns<TaskRecord> kTaskColumns = {
    {L"Task", {133}, [](const TaskRecord& r, int) { return r.Name; }},
    {L"Rights", {50}, [](const TaskRecord& r, int) { return Decimal(r.Rights()); }},
    {L"PID", {50}, [](const TaskRecord& r, int) { return Decimal(r.Pid); }},
    {L"Priority", {50}, [](const TaskRecord& r, int) { return Decimal(r.Priority()); }},
    {L"Size (KB)", {70}, [](const TaskRecord& r, int) { return Decimal(r.MemorySize() / 1024); }},
    {L"Base", {80}, [](const TaskRecord& r, int) { return Decimal(r.Base()); }},
    {L"DLL's", {45}, [](const TaskRecord& r, int) { return Decimal(r.DllCount()); }},
    // Beyond the list's right edge: the list scrolls sideways.
    {L"Filename", ListWidthLess(24), [](const TaskRecord& r, int) { return r.FileName(); }},
};

#include "tasks/task_rules.h"

#include "app/format.h"

std::string UpperAnsi(std::string text) {
    for (char& c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 0x61 && b <= 0x7A) || b >= 0xE0) c = static_cast<char>(b - 0x20);
    }
    return text;
}

SystemFolders g_SystemFolders;

SystemFolders::SystemFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        std::string upper = UpperAnsi(folder);
        while (!upper.empty() && upper.back() == '\\')
            upper.pop_back();
        // A bare backslash would stand for every path that starts with one.
        if (upper.empty()) continue;
        folders_.push_back(upper + "\\");
    }
}

bool SystemFolders::Hold(const std::string& upperPath) const {
    for (const std::string& folder : folders_)
        if (upperPath.compare(0, folder.size(), folder) == 0) return true;
    return false;
}

bool IsCriticalTask(const std::string& fileName, int32_t pid, const SystemFolders& system) {
    const std::string f = UpperAnsi(fileName);
    return pid == 4 || f.find("\\SYSTEM32\\") != std::string::npos || system.Hold(f);
}

bool IsUnnecessaryTask(const std::string& fileName, const std::string& name,
                       const std::string& ownUpper, int32_t enableDetectOwnTask,
                       const SystemFolders& system) {
    const std::string f = UpperAnsi(fileName);
    const std::string n = UpperAnsi(name);
    if (f.empty()) return false;
    auto contains = [&f](const char* pattern) { return f.find(pattern) != std::string::npos; };
    bool checked = false;
    if (!contains("C:\\")) checked = true;
    if (!contains("C:\\WINDOWS\\SYSTEM32")) checked = true;
    // Where Windows lives elsewhere, and its 32-bit and app-host folders.
    if (system.Hold(f)) checked = false;
    if (contains("SYSTEM32\\SMSS.EXE")) checked = false;
    if (contains("WINDOWS\\EXPLORER.EXE")) checked = false;
    if (n == "SYSTEM") checked = false;
    if (n == ownUpper && enableDetectOwnTask == 1) checked = false;
    return checked;
}

std::vector<std::string> TaskCells(const TaskRecord& r) {
    return {r.Name,
            Decimal(r.Rights),
            Decimal(r.Pid),
            Decimal(r.Priority),
            Decimal(r.MemorySize / 1024),
            Decimal(r.Base),
            Decimal(r.DllCount),
            r.FileName};
}

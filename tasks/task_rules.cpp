#include "tasks/task_rules.h"

#include "app/format.h"

std::string UpperAnsi(std::string text) {
    for (char& c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 0x61 && b <= 0x7A) || b >= 0xE0) c = static_cast<char>(b - 0x20);
    }
    return text;
}

bool IsCriticalTask(const std::string& fileName, int32_t pid) {
    return pid == 4 || UpperAnsi(fileName).find("\\SYSTEM32\\") != std::string::npos;
}

bool IsUnnecessaryTask(const std::string& fileName, const std::string& name,
                       const std::string& ownUpper, int32_t enableDetectOwnTask) {
    const std::string f = UpperAnsi(fileName);
    const std::string n = UpperAnsi(name);
    if (f.empty()) return false;
    auto contains = [&f](const char* pattern) { return f.find(pattern) != std::string::npos; };
    bool checked = false;
    if (!contains("C:\\")) checked = true;
    if (!contains("C:\\WINDOWS\\SYSTEM32")) checked = true;
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

#include "tasks/task_info.h"

#include "base/format.h"

std::wstring EntryCell(int32_t number) {
    std::wstring digits = std::to_wstring(number);
    if (digits.size() > 3) digits.resize(3);
    return std::wstring(3 - digits.size(), L' ') + digits;
}

const ListColumns<ModuleInfo> kModuleColumns = {
    {L"Entry", {39}, [](const ModuleInfo&, int number) { return EntryCell(number); }},
    {L"DLL", {225}, [](const ModuleInfo& m, int) { return m.name; }},
    // Pointer width, so the 32-bit build shows addresses above 2 GB as negative numbers.
    {L"Base",
     {90},
     [](const ModuleInfo& m, int) { return Decimal(static_cast<intptr_t>(m.base)); }},
    {L"Filename", ListWidthLess(21), [](const ModuleInfo& m, int) { return m.path; }},
};

#include "tasks/task_info.h"

std::wstring EntryCell(int32_t number) {
    std::wstring digits = std::to_wstring(number);
    if (digits.size() > 3) digits.resize(3);
    return std::wstring(3 - digits.size(), L' ') + digits;
}

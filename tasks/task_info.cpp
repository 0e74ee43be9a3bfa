#include "tasks/task_info.h"

std::string EntryCell(int32_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() > 3) digits.resize(3);
    return std::string(3 - digits.size(), ' ') + digits;
}

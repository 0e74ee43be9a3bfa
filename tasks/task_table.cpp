#include "tasks/task_table.h"

TaskRows TaskTable;

const TaskRecord& TaskRows::operator[](int32_t index) const {
    static const TaskRecord kNone;
    if (index < 0 || index >= Count()) return kNone;
    return rows_[static_cast<size_t>(index)];
}

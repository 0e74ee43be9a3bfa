// The tasks as read by the last refresh; row i of the task list always stands for record i.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "proc/process_api.h"

struct TaskRecord {
    // Reads as the row's own process id, but is the id of the first process of the row's name
    // (0 for none): every row of one name shows, and acts on, that process.
    int32_t Pid = 0;
    std::wstring Name;
    // The system's own name of the task, by which Freeze and Terminate find its processes; the
    // Name cell shows the name read from the process ("IDLE", "System", "SYSTEM" aside).
    std::wstring SystemName;
    // What the row shows of its process besides the name: the reading of the first process of
    // that name.
    ProcessDetails Details;

    const std::wstring& FileName() const { return Details.fileName; }
    int32_t Priority() const { return Details.priority; }
    // Bytes; 64-bit so that working sets over 2 GiB stay positive.
    int64_t MemorySize() const { return static_cast<int64_t>(Details.memory); }
    // Load address of the main module (pointer width in the 64-bit build).
    int64_t Base() const { return static_cast<int64_t>(static_cast<intptr_t>(Details.base)); }
    int32_t Rights() const { return Details.rights; }
    // Modules less the main one; a list of the main module alone shows 1, not 0.
    int32_t DllCount() const {
        return Details.moduleCount > 1 ? Details.moduleCount - 1 : Details.moduleCount;
    }
};

// As many records as the last refresh read, with no upper limit.
class TaskRows {
  public:
    // Record `index`; any index outside the table gives an empty record (no process, no
    // name), so callers never check bounds themselves.
    const TaskRecord& operator[](int32_t index) const;
    int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
    // Count() - 1: -1 for an empty table.
    int32_t LastIndex() const { return Count() - 1; }
    void Replace(std::vector<TaskRecord> rows) { rows_ = std::move(rows); }
    // Keeps the first `count` records only (all of them when there are fewer).
    void Truncate(int32_t count) {
        if (count >= 0 && count < Count()) rows_.resize(static_cast<size_t>(count));
    }

  private:
    std::vector<TaskRecord> rows_;
};

extern TaskRows TaskTable;

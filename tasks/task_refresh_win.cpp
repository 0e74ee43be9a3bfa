#include "base/format.h"
#include "ui/events.h"
#include "ui/focus.h"
#include "ui/list_view.h"
#include "ui/window.h"
#include "proc/name_fold.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "tasks/task_actions.h"
#include "tasks/task_refresh.h"
#include "tasks/task_rules.h"

#include <unordered_map>

namespace {

// Only the first record whose id is 4 in a pass is called "SYSTEM".
void NameSystemTask(TaskRecord& r, bool& systemNamed) {
    if (r.Pid == 4 && !systemNamed) {
        r.Name = L"SYSTEM";
        systemNamed = true;
    }
}

} // namespace

int32_t FillTaskTable() {
    const std::vector<ProcessListEntry> reading = ExamineProcesses();
    // Every row shows the details of the first process of its name, read once for that one.
    std::unordered_map<ProcessId, const ProcessDetails*> detailsOf;
    for (const ProcessListEntry& e : reading)
        if (e.firstOfName != 0 && e.firstOfName == e.id) detailsOf[e.id] = &e.details;

    std::vector<TaskRecord> rows;
    rows.reserve(reading.size());
    bool systemNamed = false;
    for (const ProcessListEntry& e : reading) {
        TaskRecord r;
        r.Name = DisplayName(e);
        r.SystemName = e.systemName;
        r.Pid = static_cast<int32_t>(e.firstOfName);
        NameSystemTask(r, systemNamed);
        auto it = detailsOf.find(e.firstOfName);
        if (it != detailsOf.end()) r.Details = *it->second;
        rows.push_back(std::move(r));
    }
    TaskTable.Replace(std::move(rows));
    return TaskTable.LastIndex();
}

void RefreshTaskList() {
    FillTaskTable();
    HWND list = Control(TaskList);
    // The rows are written over in place. Holding the list's drawing back, which costs more than
    // every cell of a short list, is left to a change in their number.
    const int shown = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const bool hold = shown != TaskTable.Count();
    if (hold) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    // Row i must always be record i: a row that cannot be written (out of memory) ends the list,
    // and the table keeps exactly the records shown.
    int written = 0;
    try {
        for (; written < TaskTable.Count(); ++written) {
            const std::vector<std::wstring> cells =
                RowCells(kTaskColumns, TaskTable[written], written + 1);
            if (written < shown ? !SetListRow(list, written, cells)
                                : AddListRow(list, cells) != written)
                break;
        }
    } catch (...) {
    }
    for (int row = shown - 1; row >= written; --row)
        SendMessageW(list, LVM_DELETEITEM, row, 0);
    // As if every row were new: none checked, selected or focused, no anchor for a range.
    LVITEMW none = {};
    none.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
    none.state = INDEXTOSTATEIMAGEMASK(1);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, -1);
    SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE); // and shown from the top, as a new list is
    GiveListAFocusedRow(list);
    TaskTable.Truncate(static_cast<int32_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    const int32_t count = TaskTable.Count();
    SetControlText(TaskFrame, L"Active Tasks [ " + Decimal(count) + L" ]");
    if (hold) {
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    AddLogLine(L"Initialized tasks: " + Decimal(count));
}

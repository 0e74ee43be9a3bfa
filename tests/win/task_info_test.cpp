// The module page of Info on a real main window in this process, over this process's own DLLs.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "proc/process_api.h"
#include "tasks/task_actions.h"
#include "tasks/task_info.h"
#include "ui/list_view.h"
#include "tasks/task_rules.h"
#include "tasks/task_table.h"
#include "settings/session_log.h"
#include "ui/log_list.h"
#include "win/app_fixture.h"
#include "win/page_driving.h"
#include "win/test_support.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <new>

namespace {

using testsupport::EndsWith;

const int kPageButtons[] = {SetupButton, RefreshButton, DetectButton, ClearButton};

int RowCount(int id) {
    return static_cast<int>(SendMessageA(Control(id), LVM_GETITEMCOUNT, 0, 0));
}

std::string Cell(int id, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(Control(id), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return testsupport::Utf8(text);
}

// A task list of three rows: this process, the idle row and this process again, the last one
// checked; as a refresh leaves it, with a caption the page must put back.
class ModulePage : public ::testing::Test {
  protected:
    void SetUp() override {
        BindSystemServices();
        EnsureMainWindow();
        PrepareProbes();
        HWND list = Control(TaskList);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        TaskRecord own;
        own.Pid = static_cast<int32_t>(GetCurrentProcessId());
        own.Name = L"win_tests.exe";
        own.SystemName = L"win_tests.exe";
        TaskRecord idle;
        idle.Name = L"IDLE";
        TaskTable.Replace({own, idle, own});
        for (int i = 0; i < TaskTable.Count(); ++i)
            AddListRow(list, RowCells(kTaskColumns, TaskTable[i], i + 1));
        SetRowState(list, 2, true, false);
        SetControlText(TaskFrame, L"Active Tasks [ 3 ]");
    }
    void TearDown() override {
        EXPECT_EQ(ProbesNotRun(), 0) << "checks posted into the page loop never ran";
        SendMessageA(Control(TaskList), LVM_DELETEALLITEMS, 0, 0);
        TaskTable.Replace({});
        ReleaseSystemServices();
    }
    static void Select(int row) {
        for (int i = 0; i < RowCount(TaskList); ++i)
            SetRowState(Control(TaskList), i, RowChecked(Control(TaskList), i), i == row);
    }
    // Info that must not open the page: one log line, nothing else changes.
    static void ExpectOnlyLogLine(const std::string& line) {
        const int before = LogLineCount();
        ShowTaskModules();
        EXPECT_EQ(LogLineCount(), before + 1);
        EXPECT_TRUE(EndsWith(LastLogLine(), line)) << LastLogLine();
        EXPECT_TRUE(IsShown(TaskList));
        EXPECT_FALSE(Control(ModuleList) && IsShown(ModuleList));
        EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ 3 ]");
        EXPECT_EQ(TextOf(TerminateButton), "Terminate");
        for (int id : kPageButtons)
            EXPECT_TRUE(IsEnabled(id)) << id;
    }
};

TEST_F(ModulePage, RowsWithoutModulesLeaveThePageAlone) {
    Select(-1);
    ExpectOnlyLogLine("Please select a task first...");
    // The idle row has no process to read.
    Select(1);
    ExpectOnlyLogLine("No info available...");
    // A row the last refresh did not record.
    Select(2);
    TaskTable.Replace({TaskTable[0], TaskTable[1]});
    ExpectOnlyLogLine("No info available...");
}

// Running out of memory once the page is entered (here when its log line is added): the page is
// left as Back leaves it.
TEST_F(ModulePage, AFailureWhileTheListFillsGivesTheTaskPageBack) {
    Select(0);
    SetLogSink({[](const std::wstring& line) -> int {
                    if (line.find(L"Traced dll's of") != std::wstring::npos) throw std::bad_alloc();
                    return AppendLogListLine(line);
                },
                LogListLines, PauseAnswering});
    EXPECT_THROW(ShowTaskModules(), std::bad_alloc);
    SetLogSink({AppendLogListLine, LogListLines, PauseAnswering});
    EXPECT_TRUE(IsShown(TaskList));
    ASSERT_NE(Control(ModuleList), nullptr);
    EXPECT_FALSE(IsShown(ModuleList));
    EXPECT_EQ(RowCount(ModuleList), 0);
    EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ 3 ]");
    EXPECT_EQ(TextOf(TerminateButton), "Terminate");
    for (int id : kPageButtons)
        EXPECT_TRUE(IsEnabled(id)) << id;
}

TEST_F(ModulePage, ListsTheDllsOfTheSelectedTaskUntilBack) {
    const DWORD pid = GetCurrentProcessId();
    Select(2);
    int listed = 0; // set by each visit's first probe: the process may load DLLs meanwhile
    const RECT taskRect = ControlRect(TaskList);
    const int logBefore = LogLineCount();

    for (int visit = 0; visit < 2; ++visit) {
        SCOPED_TRACE(visit);
        PostProbe([&] {
            EXPECT_FALSE(IsShown(TaskList));
            ASSERT_TRUE(IsShown(ModuleList));
            const RECT r = ControlRect(ModuleList);
            EXPECT_EQ(r.left, taskRect.left);
            EXPECT_EQ(r.top, taskRect.top);
            EXPECT_EQ(r.right, taskRect.right);
            EXPECT_EQ(r.bottom, taskRect.bottom - 2);
            const DWORD extended = static_cast<DWORD>(
                SendMessageA(Control(ModuleList), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
            EXPECT_EQ(extended & LVS_EX_CHECKBOXES, 0u);
            EXPECT_NE(extended & LVS_EX_FULLROWSELECT, 0u);
            EXPECT_TRUE(HasStyle(ModuleList, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS));
            const char* titles[] = {"Entry", "DLL", "Base", "Filename"};
            const int widths[] = {39, 225, 90, (taskRect.right - taskRect.left) - 21};
            for (int c = 0; c < 4; ++c) {
                char title[32] = {};
                LVCOLUMNA column = {};
                column.mask = LVCF_TEXT | LVCF_WIDTH;
                column.pszText = title;
                column.cchTextMax = sizeof title;
                SendMessageA(Control(ModuleList), LVM_GETCOLUMNA, c,
                             reinterpret_cast<LPARAM>(&column));
                EXPECT_STREQ(title, titles[c]);
                EXPECT_EQ(column.cx, widths[c]);
            }

            // Only this visit's rows, from the second module on, as a module snapshot lists them.
            const std::vector<testsupport::ModuleEntry> modules = testsupport::ModuleSnapshot(pid);
            listed = static_cast<int>(modules.size()) - 1;
            ASSERT_GE(listed, 1); // at least ntdll
            ASSERT_EQ(RowCount(ModuleList), listed);
            for (int k = 0; k < listed; ++k) {
                const testsupport::ModuleEntry& m = modules[k + 1];
                char entry[8];
                std::snprintf(entry, sizeof entry, "%3d", k + 1);
                EXPECT_EQ(Cell(ModuleList, k, 0), entry);
                EXPECT_EQ(Cell(ModuleList, k, 1), m.name);
                EXPECT_EQ(Cell(ModuleList, k, 2), std::to_string(static_cast<intptr_t>(m.base)));
                EXPECT_EQ(Cell(ModuleList, k, 3), m.path);
            }

            const std::string count = std::to_string(listed);
            EXPECT_EQ(TextOf(TaskFrame), "win_tests.exe [ " + count + " ]");
            EXPECT_TRUE(EndsWith(LastLogLine(), "Traced dll's of win_tests.exe: " + count))
                << LastLogLine();
            EXPECT_EQ(TextOf(TerminateButton), "Back");
            EXPECT_EQ(TextOf(InfoButton), "Info");
            EXPECT_TRUE(IsEnabled(TerminateButton));
            EXPECT_TRUE(IsEnabled(InfoButton));
            for (int id : kPageButtons)
                EXPECT_FALSE(IsEnabled(id)) << id;
        });
        // Info with no DLL selected: the page stays.
        PostClick(InfoButton);
        PostProbe([&] {
            EXPECT_TRUE(EndsWith(LastLogLine(), "Please select a dll first...")) << LastLogLine();
            EXPECT_TRUE(IsShown(ModuleList));
            EXPECT_EQ(RowCount(ModuleList), listed);
            EXPECT_EQ(TextOf(TerminateButton), "Back");
        });
        PostClick(TerminateButton);
        ShowTaskModules();

        // Back: the task page as it was, the module list hidden and empty.
        EXPECT_TRUE(IsShown(TaskList));
        EXPECT_FALSE(IsShown(ModuleList));
        EXPECT_EQ(RowCount(ModuleList), 0);
        EXPECT_EQ(RowCount(TaskList), 3);
        EXPECT_TRUE(RowChecked(Control(TaskList), 2));
        EXPECT_TRUE(RowSelected(Control(TaskList), 2));
        EXPECT_FALSE(RowChecked(Control(TaskList), 0));
        EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ 3 ]");
        EXPECT_EQ(TextOf(TerminateButton), "Terminate");
        for (int id : kPageButtons)
            EXPECT_TRUE(IsEnabled(id)) << id;
    }
    EXPECT_GE(LogLineCount(), logBefore + 2);
}

TEST_F(ModulePage, InfoShowsTheExportsOfTheSelectedDllAndComesBack) {
    Select(0);
    std::string dllName;
    int rows = 0;
    PostProbe([&] {
        rows = RowCount(ModuleList);
        dllName = Cell(ModuleList, 0, 1);
        SetRowState(Control(ModuleList), 0, false, true);
    });
    PostClick(InfoButton);
    PostProbe([&] {
        EXPECT_FALSE(IsShown(ModuleList));
        ASSERT_TRUE(Control(ExportList) && IsShown(ExportList));
        EXPECT_EQ(TextOf(TaskFrame).rfind(dllName + " [ ", 0), 0u) << TextOf(TaskFrame);
        EXPECT_EQ(TextOf(InfoButton), "Export");
    });
    PostClick(TerminateButton); // leaves the export page
    PostProbe([&] {
        EXPECT_TRUE(IsShown(ModuleList));
        EXPECT_FALSE(IsShown(ExportList));
        EXPECT_EQ(RowCount(ModuleList), rows);
        EXPECT_EQ(TextOf(TaskFrame).rfind("win_tests.exe [ ", 0), 0u);
        EXPECT_EQ(TextOf(InfoButton), "Info");
        EXPECT_EQ(TextOf(TerminateButton), "Back");
    });
    PostClick(TerminateButton); // leaves the module page
    ShowTaskModules();
    EXPECT_TRUE(IsShown(TaskList));
    EXPECT_FALSE(IsShown(ModuleList));
    EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ 3 ]");
}

} // namespace

// The task actions on a real main window in this process, over real helper processes.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "base/ansi_text_win.h"
#include "proc/frozen_threads_win.h"
#include "proc/process_api.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tasks/task_actions.h"
#include "ui/list_view.h"
#include "tasks/task_refresh.h"
#include "tasks/task_rules.h"
#include "win/app_fixture.h"
#include "win/page_driving.h"
#include "win/test_support.h"
#include "proc/system_services_win.h"

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <chrono>
#include <thread>
#include <utility>

using namespace testsupport;

// Every allocation of this program fails while a test has memory run out.
static std::atomic<bool> g_OutOfMemory{false};
void* operator new(size_t size) {
    void* block = g_OutOfMemory ? nullptr : std::malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
// GCC, inlining these where a container gives back what it took, sees malloc's block go to free
// through operator new and takes it for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
#pragma GCC diagnostic pop

namespace {

const char kHelperName[] = "mvtask.exe";

// Answers the message boxes this process shows, one answer per box, and records what they said.
// Boxes beyond the given answers are cancelled, so a wrong count fails instead of hanging.
class MessageBoxAnswerer {
  public:
    explicit MessageBoxAnswerer(std::vector<int> answers) : answers_(std::move(answers)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~MessageBoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> titles;
    std::vector<std::string> texts;

  private:
    void Run() {
        size_t next = 0;
        while (!stop_) {
            HWND box = FindOwnMessageBox();
            if (!box) {
                Sleep(10);
                continue;
            }
            char title[256] = {}, text[1024] = {};
            GetWindowTextA(box, title, sizeof title);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            titles.push_back(title);
            texts.push_back(text);
            const int answer = next < answers_.size() ? answers_[next] : IDCANCEL;
            ++next;
            PostMessageA(box, WM_COMMAND, answer, 0);
            // Wait for the box to go before looking for the next one.
            WaitUntil([box] { return !IsWindow(box); }, 5000);
        }
    }
    static BOOL CALLBACK TakeMessageBox(HWND hwnd, LPARAM found) {
        char cls[32] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static HWND FindOwnMessageBox() {
        HWND found = nullptr;
        EnumThreadWindows(MainThreadId(), TakeMessageBox, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    std::vector<int> answers_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::vector<int> RowsNamed(const std::string& name) {
    std::vector<int> rows;
    for (int i = 0; i <= TaskTable.LastIndex(); ++i)
        if (SameTextIgnoringCase(Utf8(TaskTable[i].Name), name)) rows.push_back(i);
    return rows;
}

class TaskActions : public testing::Test {
  protected:
    void SetUp() override {
        BindSystemServices();
        g_SystemFolders = SystemFolders(ReadSystemFolders()); // as at start-up
        EnsureMainWindow();
        SetDefaultSettings();
        g_Settings.LogInfoStyle = 32; // lines without prefix, so they compare exactly
        g_Settings.AskTerminate = 4;
        path_ = folder_.CopyHelper("sleeper.exe", kHelperName);
        ASSERT_FALSE(path_.empty());
        for (int i = 0; i < 3; ++i)
            ASSERT_NE(children_.Start(path_).id, 0u);
        RefreshTaskList();
    }

    void TearDown() override {
        children_.KillAll();
        ReleaseSystemServices();
    }

    // The first of our copies in the system's order: the one every row of the name shows.
    Child FirstCopy() const {
        for (DWORD id : AllProcessIds())
            for (const Child& c : children_.All())
                if (c.id == id) return c;
        return {};
    }
    bool AllCopiesEnded() const {
        return WaitUntil([&] {
            for (const Child& c : children_.All())
                if (IsRunning(c.process)) return false;
            return true;
        });
    }
    bool AllCopiesStayRunning() const {
        std::vector<HANDLE> copies;
        for (const Child& c : children_.All())
            copies.push_back(c.process);
        return NoneEndsWithin(copies);
    }
    void CheckRow(int row) { SetRowState(Control(TaskList), row, true, false); }
    // Runs Terminate over the checked rows, expecting `result`; gives the log lines it wrote.
    std::vector<std::string> Terminate(int result) {
        const int mark = LogLineCount();
        EXPECT_EQ(TerminateCheckedTasks(), result);
        return LogLinesFrom(mark);
    }

    TempFolder folder_;
    ChildProcesses children_;
    std::string path_;
};

// Every process the system lists, in its order, under its name in the system's process list and
// with the id of the first process of that name; the copies' rows show what this test reads of
// the first copy. Wine's own processes may come and go: a refresh while they did is done again.
TEST_F(TaskActions, RefreshShowsEveryProcessWithTheFirstIdOfItsName) {
    // Every row is as new: no mark, selection, focus or range anchor, and the list shows its top.
    HWND list = Control(TaskList);
    RECT place = {};
    GetWindowRect(list, &place);
    SetWindowPos(list, nullptr, 0, 0, place.right - place.left, 60, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(list, LVM_ENSUREVISIBLE, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) - 1, FALSE);
    ASSERT_GT(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0) << "too few rows to scroll";
    SetFocus(Control(RefreshButton));
    SetRowState(list, 1, true, true);
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, 1);
    LVITEMA focus = {};
    focus.stateMask = focus.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&focus));
    std::vector<DWORD> ids;
    std::map<DWORD, std::string> names;
    for (int attempt = 0; attempt < 5; ++attempt) {
        ids = AllProcessIds();
        names = ProcessSnapshotNames();
        RefreshTaskList();
        if (AllProcessIds() == ids) break;
    }
    const std::string count = std::to_string(ids.size());
    ASSERT_EQ(TaskTable.Count(), static_cast<int>(ids.size()));
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
    SetWindowPos(list, nullptr, 0, 0, place.right - place.left, place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(ids.size()));
    EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ " + count + " ]");
    EXPECT_EQ(LastLogLine(), "Initialized tasks: " + count);
    std::map<std::string, DWORD> firstOfName;
    for (int i = 0; i < TaskTable.Count(); ++i) {
        const std::string name = ids[i] == 0 ? "IDLE" : names[ids[i]];
        const DWORD first =
            ids[i] == 0 ? 0 : firstOfName.emplace(AsciiUpper(name), ids[i]).first->second;
        EXPECT_EQ(Utf8(TaskTable[i].Name), name) << "row " << i;
        EXPECT_EQ(static_cast<DWORD>(TaskTable[i].Pid), first) << name;
        EXPECT_FALSE(RowChecked(list, i) || RowSelected(list, i)) << name;
    }
    // A list that has the focus shows it on its first row.
    SetFocus(list);
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&focus));
    RefreshTaskList();
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0);

    const std::vector<int> rows = RowsNamed(kHelperName);
    ASSERT_EQ(rows.size(), 3u);
    const Child first = FirstCopy();
    for (int row : rows) {
        const TaskRecord& r = TaskTable[row];
        EXPECT_TRUE(SameTextIgnoringCase(Utf8(r.FileName()), path_)) << r.FileName();
        EXPECT_EQ(r.Priority(), static_cast<int32_t>(NORMAL_PRIORITY_CLASS));
        EXPECT_EQ(r.Rights(), 1) << "a process of the same user opens with all rights";
        EXPECT_EQ(r.DllCount(), ModuleSnapshotCount(first.id) - 1);
        EXPECT_EQ(r.Base(), static_cast<intptr_t>(ImageBaseOf(first.process)));
        EXPECT_GT(r.MemorySize(), 0);
    }
}

// Each checked row's name once, then the sizes of the rows really ended added up.
TEST_F(TaskActions, TerminateEndsEveryCopyOfEachCheckedRowAndAddsUpTheirSizes) {
    ASSERT_NE(children_.Start(folder_.CopyHelper("sleeper.exe", "mvsecond.exe")).id, 0u);
    RefreshTaskList();
    const std::vector<int> rows = {RowsNamed(kHelperName).at(1), RowsNamed("mvsecond.exe").at(0)};
    CheckRow(rows[0]);
    CheckRow(rows[1]);
    const bool helperFirst = rows[0] < rows[1];
    const int64_t size = TaskTable[rows[0]].MemorySize() + TaskTable[rows[1]].MemorySize();
    const std::vector<std::string> lines = Terminate(1);
    EXPECT_TRUE(AllCopiesEnded());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[helperFirst ? 0 : 1], std::string("Terminated: ") + kHelperName);
    EXPECT_EQ(lines[helperFirst ? 1 : 0], "Terminated: mvsecond.exe");
    EXPECT_EQ(lines[2], "Restored memory: " + std::to_string(size / 1024) + " KB");
    EXPECT_EQ(lines[3].rfind("Initialized tasks: ", 0), 0u);
    EXPECT_TRUE(RowsNamed(kHelperName).empty());
}

TEST_F(TaskActions, EveryTimeAskingHonoursYesNoAndCancel) {
    g_Settings.AskTerminate = 1;
    std::vector<int> rows = RowsNamed(kHelperName);
    ASSERT_EQ(rows.size(), 3u);
    CheckRow(rows[0]);
    int mark = LogLineCount();
    {
        MessageBoxAnswerer answerer({IDNO});
        EXPECT_EQ(TerminateCheckedTasks(), 0);
        ASSERT_EQ(answerer.titles.size(), 1u);
        EXPECT_EQ(answerer.titles[0], "Terminate Process");
        EXPECT_EQ(answerer.texts[0], std::string(kHelperName) + "\n\nKill process structure?");
    }
    EXPECT_TRUE(LogLinesFrom(mark).empty());
    EXPECT_TRUE(AllCopiesStayRunning());

    // Cancel on the first question stops before anything is done; the second is never asked.
    CheckRow(rows[2]);
    {
        MessageBoxAnswerer answerer({IDCANCEL, IDYES});
        EXPECT_EQ(TerminateCheckedTasks(), 0);
        EXPECT_EQ(answerer.titles.size(), 1u);
    }
    EXPECT_TRUE(LogLinesFrom(mark).empty());
    EXPECT_TRUE(AllCopiesStayRunning());

    {
        MessageBoxAnswerer answerer({IDYES, IDNO});
        EXPECT_EQ(TerminateCheckedTasks(), 1);
        EXPECT_EQ(answerer.titles.size(), 2u);
    }
    EXPECT_TRUE(AllCopiesEnded());
    std::vector<std::string> lines = LogLinesFrom(mark);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string("Terminated: ") + kHelperName);
    EXPECT_EQ(lines[1].rfind("Restored memory: ", 0), 0u);
}

TEST_F(TaskActions, CriticalQuestionOnlyForSystem32Rows) {
    g_Settings.AskTerminate = 2;
    g_Settings.EnableTaskTerminate = 0; // keep Wine's own processes alive
    // The first process in the system's order whose image, as this test reads it, lies in the
    // system folder: the first of its name, so its row shows its id.
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    using QueryImageFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    const auto queryImage = reinterpret_cast<QueryImageFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    ASSERT_NE(queryImage, nullptr);
    std::string file;
    DWORD id = 0;
    for (DWORD candidate : AllProcessIds()) {
        HandleGuard process(OpenProcess(proc::kLimitedQueryAccess, FALSE, candidate));
        char image[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (process.Valid() && queryImage(process.Get(), 0, image, &length) &&
            SameTextIgnoringCase(std::string(image).substr(0, std::strlen(folder) + 1),
                                 std::string(folder) + "\\")) {
            file = image;
            id = candidate;
            break;
        }
    }
    ASSERT_NE(id, 0u) << "Wine runs its services from the system folder";
    int critical = -1;
    for (int i = TaskTable.LastIndex(); i >= 0; --i)
        if (static_cast<DWORD>(TaskTable[i].Pid) == id) critical = i;
    ASSERT_GE(critical, 0);
    const std::vector<int> rows = RowsNamed(kHelperName);
    CheckRow(critical);
    CheckRow(rows[0]);
    const int mark = LogLineCount();
    {
        MessageBoxAnswerer answerer({IDNO});
        EXPECT_EQ(TerminateCheckedTasks(), 1);
        ASSERT_EQ(answerer.titles.size(), 1u);
        EXPECT_EQ(answerer.titles[0], "Terminate Critical Process");
        EXPECT_EQ(answerer.texts[0],
                  "Critical process detected!\n\nName: " + ProcessSnapshotNames()[id] +
                      "\n\nFile: " + file + "\n\nReally kill process structure?");
    }
    // The helper's row was confirmed without a question; with terminating off it still runs.
    std::vector<std::string> lines = LogLinesFrom(mark);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("Terminated: ") + kHelperName);
    EXPECT_EQ(lines[1].rfind("Restored memory: ", 0), 0u);
    EXPECT_TRUE(AllCopiesStayRunning());
}

TEST_F(TaskActions, UnknownAskValueDoesNothing) {
    g_Settings.AskTerminate = 3;
    CheckRow(RowsNamed(kHelperName)[0]);
    EXPECT_TRUE(Terminate(0).empty());
    EXPECT_TRUE(AllCopiesStayRunning());
}

TEST_F(TaskActions, NoCheckedRowDoesNothing) {
    SetRowState(Control(TaskList), RowsNamed(kHelperName)[0], false, true); // selected only
    EXPECT_TRUE(Terminate(0).empty());
    EXPECT_TRUE(AllCopiesStayRunning());
}

TEST_F(TaskActions, DetectChecksTasksOutsideTheSystemFolderButExplorerAndItself) {
    HWND list = Control(TaskList);
    SetRowState(list, 0, true, true);
    DetectUnnecessaryTasks();
    // What the test knows: it started three copies from its temp folder and runs itself from the
    // build tree; Wine runs its services from the system folder and its desktop as explorer.exe.
    char buffer[MAX_PATH] = {};
    GetSystemDirectoryA(buffer, MAX_PATH);
    const std::string systemFolder = AsciiLower(buffer) + "\\";
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string ownPath = buffer;
    int expected = 0, copies = 0, systemRows = 0;
    bool sawOwn = false, sawExplorer = false;
    for (int i = 0; i <= TaskTable.LastIndex(); ++i) {
        const TaskRecord& r = TaskTable[i];
        const std::string file = AsciiLower(Utf8(r.FileName()));
        bool want = false;
        if (SameTextIgnoringCase(Utf8(r.FileName()), path_)) {
            want = true;
            ++copies;
        } else if (SameTextIgnoringCase(Utf8(r.FileName()), ownPath)) {
            sawOwn = true; // never its own task
        } else if (SameTextIgnoringCase(Utf8(r.Name), "explorer.exe")) {
            sawExplorer = true;
        } else if (file.rfind(systemFolder, 0) == 0) {
            ++systemRows;
        } else {
            want = !file.empty(); // any other program, unless its file could not be read
        }
        EXPECT_EQ(RowChecked(list, i), want) << r.Name << " " << r.FileName();
        EXPECT_FALSE(RowSelected(list, i));
        expected += want ? 1 : 0;
    }
    EXPECT_EQ(copies, 3);
    EXPECT_TRUE(sawOwn);
    EXPECT_TRUE(sawExplorer);
    EXPECT_GT(systemRows, 0);
    EXPECT_EQ(LastLogLine(), "Detected unnecessary tasks: " + std::to_string(expected));
}

TEST_F(TaskActions, ClearCountsCheckedAndSelectedRows) {
    HWND list = Control(TaskList);
    std::vector<int> rows = RowsNamed(kHelperName);
    SetRowState(list, rows[0], true, false);
    SetRowState(list, rows[1], true, false);
    SetRowState(list, rows[2], false, true);
    ClearTaskChecks();
    EXPECT_EQ(LastLogLine(), "Unchecked tasks: 3");
    for (int i = 0; i <= TaskTable.LastIndex(); ++i) {
        EXPECT_FALSE(RowChecked(list, i));
        EXPECT_FALSE(RowSelected(list, i));
    }
    ClearTaskChecks();
    EXPECT_EQ(LastLogLine(), "Unchecked tasks: 0");
}

TEST_F(TaskActions, TerminatingSwitchedOffLeavesEveryCopyRunning) {
    g_Settings.EnableTaskTerminate = 0;
    std::vector<int> rows = RowsNamed(kHelperName);
    CheckRow(rows[0]);
    CheckRow(rows[2]);
    const std::vector<std::string> lines = Terminate(1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::string("Terminated: ") + kHelperName);
    EXPECT_EQ(lines[1], std::string("Terminated: ") + kHelperName);
    EXPECT_EQ(lines[2].rfind("Restored memory: ", 0), 0u);
    EXPECT_TRUE(AllCopiesStayRunning());
    EXPECT_EQ(RowsNamed(kHelperName).size(), 3u);
}

// The walk's pauses keep the window answering other programs, while a click made meanwhile
// waits for the walk to end: no other action starts inside it.
TEST_F(TaskActions, TheWalkAnswersMessagesAndKeepsClicksForAfterIt) {
    g_Settings.EnableTaskTerminate = 0; // three rows, three pauses of 250 ms
    for (int row : RowsNamed(kHelperName))
        CheckRow(row);
    const int mark = LogLineCount();
    std::atomic<bool> walking{true}, finished{false};
    std::atomic<int> answers{0};
    std::thread other([&] {
        PostMessageA(g_MainWindow, WM_COMMAND, RefreshButton, (LPARAM)Control(RefreshButton));
        while (walking)
            if (SendMessageTimeoutA(g_MainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 1000, nullptr))
                answers += walking ? 1 : 0;
        finished = true;
    });
    EXPECT_EQ(TerminateCheckedTasks(), 1);
    walking = false;
    while (!finished)
        PauseAnswering(10);
    other.join();
    EXPECT_GE(answers, 20);
    EXPECT_EQ(LogLinesFrom(mark).size(), 5u) << "three rows, the memory, one refresh";
    PushEvent({EventKind::Command, -1}); // ends the wait below should the click be lost
    const int first = WaitEvent(true).id;
    EXPECT_EQ(first, RefreshButton) << "the click comes after the walk";
    if (first != -1) WaitEvent(true);
}

// A copy of the refusing helper under `name`, started with `mode`, with its rights already
// changed.
Child StartRefusing(ChildProcesses& children, const TempFolder& folder, const std::string& name,
                    const std::string& mode) {
    const std::string path = folder.CopyHelper("refusing.exe", name);
    const std::string event = "morvane-refuse-" + std::to_string(GetTickCount());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    Child child = children.Start(path, mode + " " + event);
    SetEvent(go);
    // All rights are refused once the helper has changed them.
    WaitUntil([&] { return !HandleGuard(OpenProcess(0x1F0FFF, FALSE, child.id)).Valid(); });
    CloseHandle(go);
    return child;
}

const TaskRecord* RowOf(const std::string& name) {
    const std::vector<int> rows = RowsNamed(name);
    return rows.size() == 1 ? &TaskTable[rows[0]] : nullptr;
}

TEST_F(TaskActions, ARefusingProcessShowsItsNamePidAndPathAndEnds) {
    Child guard = StartRefusing(children_, folder_, "mvguard.exe", "");
    // One that grants the read rights alone shows all but the Rights cell.
    Child reader = StartRefusing(children_, folder_, "mvreader.exe", "--read-only");
    ASSERT_TRUE(guard.id && reader.id);
    ASSERT_EQ(ExecutableNameOf(guard.id), "") << "the helper still grants the read rights";
    ASSERT_EQ(ExecutableNameOf(reader.id), "mvreader.exe");
    RefreshTaskList();
    const TaskRecord* r = RowOf("mvguard.exe");
    const TaskRecord* read = RowOf("mvreader.exe");
    ASSERT_TRUE(r && read);
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(r->FileName()), folder_.Path() + "\\mvguard.exe"))
        << r->FileName();
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(read->FileName()), folder_.Path() + "\\mvreader.exe"));
    // What needs the read rights stays as for a process that cannot be opened.
    const std::wstring pid = std::to_wstring(guard.id);
    EXPECT_EQ(RowCells(kTaskColumns, *r, 1),
              (std::vector<std::wstring>{L"mvguard.exe", L"0", pid, L"0", L"0", L"0", L"0",
                                         r->FileName()}));
    std::vector<std::wstring> cells = RowCells(kTaskColumns, *read, 1);
    EXPECT_NE(cells.at(4), L"0") << "its working set";
    cells[4] = L"size";
    EXPECT_EQ(cells, (std::vector<std::wstring>{
                         L"mvreader.exe", L"0", std::to_wstring(reader.id), L"32", L"size",
                         std::to_wstring(static_cast<intptr_t>(ImageBaseOf(reader.process))),
                         std::to_wstring(ModuleSnapshotCount(reader.id) - 1), read->FileName()}));

    CheckRow(RowsNamed("mvguard.exe")[0]);
    const std::vector<std::string> lines = Terminate(1);
    EXPECT_EQ(WaitForExit(guard.process), 0u);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Terminated: mvguard.exe");
}

TEST_F(TaskActions, ARefusedTerminationIsLoggedAndLeavesNothingFrozen) {
    Child guard = StartRefusing(children_, folder_, "mvstays.exe", "--deny-terminate");
    ASSERT_NE(guard.id, 0u);
    const std::vector<DWORD> threads = ThreadIdsOf(guard.id);
    ASSERT_FALSE(threads.empty());
    // Its threads can be frozen, and a holder that goes by an exception resumes them.
    try {
        FrozenThreads frozen;
        ASSERT_EQ(FreezeProcess(guard.id, L"MVSTAYS.EXE", &frozen),
                  static_cast<int>(threads.size()));
        EXPECT_EQ(SuspendCountOf(threads[0]), 1);
        throw std::runtime_error("the walk failed");
    } catch (const std::runtime_error&) {
    }
    for (DWORD t : threads)
        ASSERT_EQ(SuspendCountOf(t), 0) << "thread " << t;

    RefreshTaskList();
    ASSERT_NE(RowOf("mvstays.exe"), nullptr);
    CheckRow(RowsNamed("mvstays.exe")[0]);
    const std::vector<std::string> lines = Terminate(1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Not terminated: mvstays.exe");
    EXPECT_EQ(lines[1], "Restored memory: 0 KB");
    EXPECT_TRUE(NoneEndsWithin({guard.process}));
    for (DWORD t : threads)
        EXPECT_EQ(SuspendCountOf(t), 0) << "thread " << t;
}

// A snapshot walk's First and Next bound in place of the system's, which show `See` each entry
// they give; until TearDown releases the binding.
template <typename Entry, void (*See)(Entry*)> struct WalkHook {
    using Fn = BOOL(WINAPI*)(HANDLE, Entry*);
    static inline Fn real[2] = {};
    template <int n> static BOOL WINAPI Step(HANDLE snapshot, Entry* entry) {
        const BOOL more = real[n](snapshot, entry);
        if (more) See(entry);
        return more;
    }
    static void Bind(Fn& first, Fn& next) {
        real[0] = std::exchange(first, Step<0>);
        real[1] = std::exchange(next, Step<1>);
    }
};

// Memory runs out from the n-th thread of the frozen process on, as the holder grows.
DWORD g_WalkedProcess = 0;
int g_RunOutAt = 0;
int g_Walked = 0;
void RunOut(THREADENTRY32* entry) {
    if (entry->th32OwnerProcessID == g_WalkedProcess && ++g_Walked == g_RunOutAt)
        g_OutOfMemory = true;
}

// Memory runs out while the holder of a freeze grows, or the Windows session ends while a task
// is frozen (the pause before its termination): no thread is left suspended.
TEST_F(TaskActions, NoThreadStaysFrozenWhenMemoryRunsOutOrTheSessionEnds) {
    const Child target =
        children_.Start(folder_.CopyHelper("many_threads.exe", "mvfrozen.exe"), "40");
    ASSERT_TRUE(WaitUntil([&] { return ThreadIdsOf(target.id).size() >= 41; }));
    const std::vector<DWORD> threads = ThreadIdsOf(target.id);
    const auto suspended = [&] {
        int count = 0;
        for (DWORD t : threads)
            count += SuspendCountOf(t);
        return count;
    };
    WalkHook<THREADENTRY32, RunOut>::Bind(proc::g_Services.thread32First,
                                          proc::g_Services.thread32Next);
    for (int runOutAt : {1, 2, 30}) {
        SCOPED_TRACE(runOutAt);
        g_WalkedProcess = target.id;
        g_RunOutAt = runOutAt;
        g_Walked = 0;
        {
            FrozenThreads frozen;
            int count = -1;
            try {
                count = FreezeProcess(target.id, L"mvfrozen.exe", &frozen);
            } catch (...) {
            }
            g_OutOfMemory = false;
            EXPECT_EQ(count, frozen.Count());
            EXPECT_EQ(suspended(), frozen.Count());
        }
        EXPECT_EQ(suspended(), 0);
    }
    g_RunOutAt = 0;

    // The session's files go to the test's folder.
    const std::wstring base = SettingsBasePath;
    SettingsBasePath = FromUtf8(folder_.Path() + "\\Morvane");
    FrozenThreads frozen;
    EXPECT_GE(FreezeProcess(target.id, L"mvfrozen.exe", &frozen), 41);
    SendMessageW(g_MainWindow, WM_ENDSESSION, TRUE, 0);
    SettingsBasePath = base;
    EXPECT_EQ(suspended(), 0);
    EXPECT_EQ(frozen.Count(), 0);
}

TEST_F(TaskActions, ARowWhosePidPassedToAnotherNameFreezesNothing) {
    Child other = children_.Start(folder_.CopyHelper("many_threads.exe", "mvother.exe"), "2");
    ASSERT_TRUE(WaitUntil([&] { return ThreadIdsOf(other.id).size() >= 3; }));
    FrozenThreads frozen;
    EXPECT_EQ(FreezeProcess(other.id, L"mvgone.exe", &frozen), 0);
    EXPECT_EQ(frozen.Count(), 0);

    // The last refresh saw "mvgone.exe" under the id that mvother.exe has now.
    std::vector<TaskRecord> rows(&TaskTable[0], &TaskTable[0] + TaskTable.Count());
    const int row = RowsNamed(kHelperName)[0];
    rows[row].Name = L"mvgone.exe";
    rows[row].SystemName = L"mvgone.exe";
    rows[row].Pid = static_cast<int32_t>(other.id);
    rows[row].Details.memory = 4 << 20;
    TaskTable.Replace(rows);
    CheckRow(row);
    const std::vector<std::string> lines = Terminate(1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Not terminated: mvgone.exe");
    EXPECT_EQ(lines[1], "Restored memory: 0 KB") << "nothing ended, nothing restored";
    for (DWORD t : ThreadIdsOf(other.id))
        EXPECT_EQ(SuspendCountOf(t), 0) << "thread " << t;
    EXPECT_TRUE(AllCopiesStayRunning()) << "mvother.exe and the copies";
}

// The system's process list, with one id named as the helper: the moment between reading the
// list and opening a process whose id has passed to another program.
DWORD g_RenamedId = 0;
void Rename(PROCESSENTRY32W* entry) {
    if (entry->th32ProcessID == g_RenamedId) lstrcpynW(entry->szExeFile, L"mvtask.exe", MAX_PATH);
}

// A row whose id has passed to another program since the refresh: Info shows none of that
// program's DLLs, and Terminate neither freezes nor ends it, even where the system's list still
// gives the id the row's name.
TEST_F(TaskActions, AnIdReusedByAnotherProgramIsNeitherShownNorEnded) {
    Child other = children_.Start(folder_.CopyHelper("many_threads.exe", "mvother.exe"), "2");
    ASSERT_TRUE(WaitUntil([&] { return ThreadIdsOf(other.id).size() >= 3; }));
    const int row = RowsNamed(kHelperName)[0];
    std::vector<TaskRecord> rows(&TaskTable[0], &TaskTable[0] + TaskTable.Count());
    rows[row].Pid = static_cast<int32_t>(other.id);
    TaskTable.Replace(rows);

    PrepareProbes();
    SetRowState(Control(TaskList), row, false, true);
    PostProbe([] {
        EXPECT_TRUE(IsShown(ModuleList));
        EXPECT_EQ(SendMessageA(Control(ModuleList), LVM_GETITEMCOUNT, 0, 0), 0);
        EXPECT_EQ(TextOf(TaskFrame), std::string(kHelperName) + " [ 0 ]");
        EXPECT_EQ(LastLogLine(), std::string("Traced dll's of ") + kHelperName + ": 0");
    });
    PostClick(TerminateButton);
    ShowTaskModules();
    EXPECT_EQ(ProbesNotRun(), 0);

    g_RenamedId = other.id;
    WalkHook<PROCESSENTRY32W, Rename>::Bind(proc::g_Services.process32First,
                                            proc::g_Services.process32Next);
    CheckRow(row);
    const std::vector<std::string> lines = Terminate(1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], std::string("Terminated: ") + kHelperName);
    for (const Child& c : children_.All()) {
        if (c.id == other.id) continue;
        EXPECT_EQ(WaitForExit(c.process), 0u) << "a copy of the row's task";
    }
    EXPECT_TRUE(NoneEndsWithin({other.process})) << "mvother.exe was ended";
    for (DWORD t : ThreadIdsOf(other.id))
        EXPECT_EQ(SuspendCountOf(t), 0) << "thread " << t;
}

// Refuses to add a third row or to write into one, as a list out of memory would.
LRESULT CALLBACK TwoRowsOnly(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if ((message == LVM_INSERTITEMW && SendMessageA(hwnd, LVM_GETITEMCOUNT, 0, 0) >= 2) ||
        (message == LVM_SETITEMTEXTW && wParam >= 2))
        return message == LVM_INSERTITEMW ? -1 : FALSE;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Row i is record i: a refresh whose rows cannot all be written over, then one whose rows cannot
// all be added, keeps only the records shown.
TEST_F(TaskActions, ARefreshThatCannotWriteEveryRowKeepsOnlyTheRowsShown) {
    ASSERT_GT(TaskTable.Count(), 2);
    ASSERT_TRUE(SetWindowSubclass(Control(TaskList), TwoRowsOnly, 1, 0));
    for (int pass = 0; pass < 2; ++pass) {
        RefreshTaskList();
        EXPECT_EQ(TaskTable.Count(), 2) << pass;
        EXPECT_EQ(SendMessageA(Control(TaskList), LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ 2 ]");
        EXPECT_EQ(LastLogLine(), "Initialized tasks: 2");
    }
    RemoveWindowSubclass(Control(TaskList), TwoRowsOnly, 1);
}

TEST_F(TaskActions, TwoNonLatinNamesAreTwoTasks) {
    const std::wstring folder = WideText(folder_.Path());
    const std::wstring names[] = {L"\x65E5\x672C.exe", L"\x4E2D\x56FD.exe"}; // 日本, 中国
    Child copies[2];
    for (int i = 0; i < 2; ++i) {
        const std::wstring path = folder + L"\\" + names[i];
        ASSERT_TRUE(CopyFileW(WideText(HelperPath("sleeper.exe")).c_str(), path.c_str(), FALSE));
        copies[i] = children_.StartWide(path);
        ASSERT_NE(copies[i].id, 0u);
    }
    RefreshTaskList();
    int rows[2] = {-1, -1};
    for (int i = 0; i < TaskTable.Count(); ++i)
        for (int k = 0; k < 2; ++k)
            if (SameProcessName(TaskTable[i].SystemName, names[k])) rows[k] = i;
    ASSERT_GE(rows[0], 0);
    ASSERT_GE(rows[1], 0);
    for (int k = 0; k < 2; ++k)
        EXPECT_EQ(static_cast<DWORD>(TaskTable[rows[k]].Pid), copies[k].id) << k;
    for (int k = 0; k < 2; ++k)
        EXPECT_EQ(TaskTable[rows[k]].Name, names[k]) << "shown as the system writes it";
    EXPECT_EQ(TerminateByName(L"??.exe", 0), 0) << "the ANSI text names neither";

    CheckRow(rows[0]);
    EXPECT_EQ(TerminateCheckedTasks(), 1);
    EXPECT_EQ(WaitForExit(copies[0].process), 0u);
    EXPECT_TRUE(NoneEndsWithin({copies[1].process}));
}

// An enumeration that lists `ids` and, like the system's, fills only what the buffer holds.
std::vector<DWORD> g_ListedIds;
DWORD g_LargestOffer = 0;
BOOL WINAPI ListIds(DWORD* ids, DWORD bytes, DWORD* returned) {
    g_LargestOffer = std::max(g_LargestOffer, bytes);
    const size_t fit = std::min<size_t>(bytes / sizeof(DWORD), g_ListedIds.size());
    std::copy(g_ListedIds.begin(), g_ListedIds.begin() + fit, ids);
    *returned = static_cast<DWORD>(fit * sizeof(DWORD));
    return TRUE;
}

// Where no process snapshot can be taken, the ids come from a list that grows until they fit,
// and the names from each process.
TEST_F(TaskActions, ThreeHundredProcessesAreAllListedAndTheLastOneEnds) {
    Child last = children_.Start(folder_.CopyHelper("sleeper.exe", "mvlast.exe"));
    ASSERT_NE(last.id, 0u);
    g_ListedIds.clear();
    for (DWORD id : AllProcessIds())
        if (id != last.id) g_ListedIds.push_back(id);
    // Ids no process has: rows that cannot be read.
    for (DWORD unused = 0x7FFF0000; g_ListedIds.size() < 299; unused += 4)
        g_ListedIds.push_back(unused);
    g_ListedIds.push_back(last.id);
    ASSERT_EQ(g_ListedIds.size(), 300u);
    proc::g_Services.enumProcesses = ListIds; // until TearDown releases the binding
    proc::g_Services.process32First = nullptr;
    g_LargestOffer = 0;

    RefreshTaskList();
    EXPECT_EQ(TextOf(TaskFrame), "Active Tasks [ 300 ]");
    EXPECT_EQ(LastLogLine(), "Initialized tasks: 300");
    EXPECT_EQ(SendMessageA(Control(TaskList), LVM_GETITEMCOUNT, 0, 0), 300);
    EXPECT_GE(g_LargestOffer, 1200u) << "the buffer grew until the list fitted";
    EXPECT_EQ(TaskTable[299].Name, L"mvlast.exe");
    EXPECT_EQ(static_cast<DWORD>(TaskTable[299].Pid), last.id);
    EXPECT_EQ(RowCells(kTaskColumns, TaskTable[298], 299),
              (std::vector<std::wstring>{L"", L"0", L"0", L"0", L"0", L"0", L"0", L""}));

    CheckRow(299);
    const std::vector<std::string> lines = Terminate(1);
    EXPECT_EQ(WaitForExit(last.process), 0u);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Terminated: mvlast.exe");
}

} // namespace

// The task list and its actions (Refresh, Terminate, Detect, Clear) driven from outside, over
// copies of the sleeper helper started under names chosen by each test.
#include "ui/control_ids.h"
#include "e2e_support.h"
#include "base/ansi_text_win.h"

#include <algorithm>
#include <cstdio>
#include <set>

using namespace driver;
using e2e::kWaitMs;
using testsupport::SameTextIgnoringCase;

namespace {

// Columns of the task list.
constexpr size_t kTaskColumn = 0;
constexpr size_t kPidColumn = 2;
constexpr size_t kSizeColumn = 4;
constexpr size_t kBaseColumn = 5;
constexpr size_t kDllColumn = 6;
constexpr size_t kFileColumn = 7;

// Ending a process and the walk around it can take a while on a loaded machine.
constexpr DWORD kExitWaitMs = 30000;

// Whether an upper-cased path lies in a folder of the system's own programs, as this test reads
// them.
bool InSystemFolder(const std::string& upperFile) {
    static const std::vector<std::string> folders = [] {
        std::vector<std::string> found;
        char buffer[MAX_PATH] = {};
        if (GetSystemDirectoryA(buffer, MAX_PATH))
            found.push_back(testsupport::AsciiUpper(buffer) + "\\");
        if (GetSystemWow64DirectoryA(buffer, MAX_PATH))
            found.push_back(testsupport::AsciiUpper(buffer) + "\\");
        if (GetSystemWindowsDirectoryA(buffer, MAX_PATH))
            found.push_back(testsupport::AsciiUpper(buffer) + "\\SYSTEMAPPS\\");
        return found;
    }();
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
        return upperFile.compare(0, f.size(), f) == 0;
    });
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "  [" + line + "]\n";
    return text;
}

class TaskActionsTest : public e2e::MorvaneTest {
  protected:
    void SetUp() override {
        MorvaneTest::SetUp();
        if (HasFatalFailure()) return;
        helpers_ = testsupport::MakeTempFolder("morvane-tasks");
        ASSERT_FALSE(helpers_.empty()) << "no temp folder for the helpers";
    }

    void TearDown() override {
        // Morvane first (it may be in the middle of an action), then the copies it was given.
        MorvaneTest::TearDown();
        copies_.clear();
        EXPECT_TRUE(testsupport::RemoveFolder(helpers_)) << "left behind: " << helpers_;
        for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
            EXPECT_TRUE(testsupport::RemoveFolder(*it)) << "left behind: " << *it;
    }

    // Makes `folder` (with its closing backslash) where it is missing; tear-down removes what
    // was made, after the copies have ended.
    bool MakeFolder(const std::string& folder) {
        if (CreateDirectoryA(folder.c_str(), nullptr)) {
            madeFolders_.push_back(folder);
            return true;
        }
        return GetLastError() == ERROR_ALREADY_EXISTS;
    }

    // Starts `count` copies of the sleeper under `name` in the helper folder (or in `folder`)
    // and waits until each says it is ready. Returns their indices in copies_.
    std::vector<size_t> StartCopies(const std::string& name, int count,
                                    const std::string& folder = {}) {
        const std::string dir = folder.empty() ? helpers_ : folder;
        const std::string exe = dir + name;
        std::vector<size_t> started;
        if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const std::string sleeper = e2e::ExeFolder() + "sleeper.exe";
            EXPECT_TRUE(CopyFileA(sleeper.c_str(), exe.c_str(), TRUE)) << exe;
        }
        for (int i = 0; i < count; ++i) {
            Process p;
            if (!p.Start(exe, dir)) {
                ADD_FAILURE() << "cannot start " << exe;
                return started;
            }
            EXPECT_TRUE(testsupport::WaitReady(p.Id())) << name << " never became ready";
            copies_.push_back(std::move(p));
            started.push_back(copies_.size() - 1);
        }
        return started;
    }

    // None of the copies ends within a second: an ending completes after the call that asked
    // for it, so a look right after an action would pass whatever the action did.
    bool NoneEnds(const std::vector<size_t>& copies) const {
        std::vector<HANDLE> handles;
        for (size_t c : copies)
            handles.push_back(copies_[c].Native());
        return testsupport::NoneEndsWithin(handles, 1000);
    }
    // Waits until the copy has ended and tells whether it was ended with exit code 0, as a
    // termination by the program does (the driver's own kill uses 1).
    bool EndsWithCodeZero(size_t copy) const {
        DWORD code = ~0u;
        return copies_[copy].WaitExit(kExitWaitMs, &code) && code == 0;
    }

    // The lines added since the log held `from` lines.
    std::vector<std::string> LogSince(size_t from) const {
        std::vector<std::string> lines = LogLines();
        if (lines.size() <= from) return {};
        return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                        lines.end());
    }
    // Waits until a line starting with `head` was added after line `from`; the lines since.
    std::vector<std::string> WaitLogLine(size_t from, const std::string& head) const {
        std::vector<std::string> lines;
        WaitUntil(
            [&] {
                lines = LogSince(from);
                return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
                    return l.compare(0, head.size(), head) == 0;
                });
            },
            kWaitMs);
        return lines;
    }

    ListViewDump Rows() const { return Dump(TaskList); }
    // The line of a refresh, with the number of processes the system lists now.
    static std::string RefreshLine() {
        return "Initialized tasks: " + std::to_string(testsupport::AllProcessIds().size());
    }
    // Presses Refresh and waits for its log line; the rows it left.
    ListViewDump Refresh() {
        const size_t before = LogLines().size();
        EXPECT_TRUE(Click(Control(RefreshButton)));
        const std::vector<std::string> added = WaitLogLine(before, "Initialized tasks: ");
        EXPECT_EQ(added.size(), 1u) << JoinLines(added);
        return Rows();
    }

    static std::vector<int> RowsNamed(const ListViewDump& dump, const std::string& name) {
        std::vector<int> found;
        for (size_t i = 0; i < dump.rows.size(); ++i)
            if (SameTextIgnoringCase(dump.rows[i].cells[kTaskColumn], name))
                found.push_back(static_cast<int>(i));
        return found;
    }

    void Check(int row) { ASSERT_TRUE(SetRowChecked(Control(TaskList), row, true)) << row; }

    // Waits for the terminate question and checks its title and text, with Yes, No and Cancel.
    HWND ExpectQuestion(const std::string& title, const std::string& text) {
        HWND box = WaitDialog(app_.Id(), kWaitMs);
        EXPECT_NE(box, nullptr) << "no question for " << text;
        if (!box) return nullptr;
        DialogInfo info;
        EXPECT_TRUE(ReadDialog(box, &info));
        EXPECT_EQ(info.title, title);
        EXPECT_EQ(info.text, text);
        std::set<int> ids;
        for (const DialogButton& b : info.buttons)
            ids.insert(b.id);
        EXPECT_EQ(ids, (std::set<int>{IDYES, IDNO, IDCANCEL}));
        return box;
    }
    void Answer(HWND box, int button) {
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(AnswerDialog(box, button)) << "the question stayed";
    }

    // After an action that should have ended nothing: a Refresh shows that the action is over,
    // and the log since `from` must hold only that Refresh's line.
    void ExpectNothingLoggedSince(size_t from) {
        ASSERT_TRUE(Sync(window_));
        Refresh();
        const std::vector<std::string> added = LogSince(from);
        ASSERT_EQ(added.size(), 1u) << JoinLines(added);
        EXPECT_EQ(added[0], RefreshLine());
        EXPECT_EQ(FindDialog(app_.Id()), nullptr);
    }

    // The lines a confirmed walk adds: one "Terminated: " per name, the memory, the refresh.
    void ExpectTerminateLog(size_t from, const std::vector<std::string>& names,
                            const std::string& memoryLine) {
        const std::vector<std::string> added = WaitLogLine(from, "Initialized tasks: ");
        std::vector<std::string> expected;
        for (const std::string& n : names)
            expected.push_back("Terminated: " + n);
        expected.push_back(memoryLine);
        expected.push_back(RefreshLine());
        EXPECT_EQ(added, expected) << JoinLines(added);
    }

    // Detect's marks, row by row, from what the test knows of each task: Morvane's own row is
    // checked only when `ownChecked`; rows in the system's folders, explorer and rows without a
    // file are not; the copies started from the helper folder and the programs of the test's own
    // build folder (this test program among them) are. A row that is none of these fails.
    void ExpectDetected(const ListViewDump& dump, const std::vector<std::string>& added,
                        bool ownChecked) const {
        const std::string own = std::to_string(app_.Id());
        const std::string started[] = {testsupport::AsciiUpper(helpers_),
                                       testsupport::AsciiUpper(e2e::ExeFolder())};
        int expectedCount = 0;
        for (size_t i = 0; i < dump.rows.size(); ++i) {
            const ListRow& r = dump.rows[i];
            const std::string file = testsupport::AsciiUpper(r.cells[kFileColumn]);
            SCOPED_TRACE("row " + std::to_string(i) + ": " + r.cells[kTaskColumn] + " " +
                         r.cells[kFileColumn]);
            bool expected = false;
            if (r.cells[kPidColumn] == own) {
                expected = ownChecked;
            } else if (file.empty() || InSystemFolder(file) ||
                       SameTextIgnoringCase(r.cells[kTaskColumn], "explorer.exe")) {
                expected = false;
            } else if (std::any_of(std::begin(started), std::end(started),
                                   [&](const std::string& f) { return file.rfind(f, 0) == 0; })) {
                expected = true;
            } else {
                ADD_FAILURE() << "a task the test did not start, outside the system's folders";
            }
            expectedCount += expected ? 1 : 0;
            EXPECT_EQ(r.checked, expected);
            EXPECT_FALSE(r.selected);
        }
        ASSERT_EQ(added.size(), 1u) << JoinLines(added);
        EXPECT_EQ(added[0], "Detected unnecessary tasks: " + std::to_string(expectedCount));
    }

    // Detect, its marks and line as ExpectDetected knows them, kept in detected_; then Clear,
    // which counts every mark.
    void DetectAndClear(bool ownChecked) {
        size_t lines = LogLines().size();
        ASSERT_TRUE(Click(Control(DetectButton)));
        const std::vector<std::string> added = WaitLogLine(lines, "Detected unnecessary tasks: ");
        detected_ = Rows();
        ASSERT_NO_FATAL_FAILURE(ExpectDetected(detected_, added, ownChecked));
        lines = LogLines().size();
        ASSERT_TRUE(Click(Control(ClearButton)));
        EXPECT_EQ(WaitLogLine(lines, "Unchecked tasks: "),
                  std::vector<std::string>{"Unchecked tasks: " + added[0].substr(28)});
    }

    std::string helpers_;
    std::vector<std::string> madeFolders_;
    ListViewDump detected_;
    std::vector<Process> copies_;
};

std::string MemoryLine(const std::string& sizeCell) {
    return "Restored memory: " + sizeCell + " KB";
}

TEST_F(TaskActionsTest, ThreeCopiesShareTheFirstPidAndAllEndWhenOneRowIsConfirmed) {
    const std::string name = "tma-triple.exe";
    const std::vector<size_t> copies = StartCopies(name, 3);
    ASSERT_EQ(copies.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 1\r\n"));

    const ListViewDump dump = Refresh();
    const std::vector<int> rows = RowsNamed(dump, name);
    ASSERT_EQ(rows.size(), 3u);
    // Every row shows whichever copy the system lists first: its id, its load address in the
    // program's signed decimal, and its modules less the program file, as this test reads them.
    const Process* firstCopy = nullptr;
    for (DWORD id : testsupport::AllProcessIds())
        for (size_t c : copies)
            if (!firstCopy && copies_[c].Id() == id) firstCopy = &copies_[c];
    ASSERT_NE(firstCopy, nullptr) << "the copies are not in the system's process list";
    const DWORD first = firstCopy->Id();
    const std::string base =
        std::to_string(static_cast<intptr_t>(testsupport::ImageBaseOf(firstCopy->Native())));
    const std::string dlls = std::to_string(testsupport::ModuleSnapshotCount(first) - 1);
    for (int r : rows) {
        EXPECT_EQ(dump.rows[r].cells[kPidColumn], std::to_string(first)) << "row " << r;
        EXPECT_EQ(dump.rows[r].cells[kBaseColumn], base) << "row " << r;
        EXPECT_EQ(dump.rows[r].cells[kDllColumn], dlls) << "row " << r;
        EXPECT_EQ(testsupport::AsciiUpper(dump.rows[r].cells[kFileColumn]),
                  testsupport::AsciiUpper(helpers_ + name))
            << "row " << r;
    }

    const std::string size = dump.rows[rows[1]].cells[kSizeColumn];
    const size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(rows[1]));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    HWND box = ExpectQuestion("Terminate Process", name + "\n\nKill process structure?");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDYES));

    for (size_t c : copies)
        EXPECT_TRUE(EndsWithCodeZero(c)) << "copy " << copies_[c].Id();
    ExpectTerminateLog(before, {name}, MemoryLine(size));
    EXPECT_TRUE(RowsNamed(Rows(), name).empty()) << "the refreshed list still shows " << name;
    EXPECT_EQ(FindDialog(app_.Id()), nullptr) << "one question for one checked row";
}

TEST_F(TaskActionsTest, AnsweringNoEndsNothingAndLogsNothing) {
    const std::string name = "tma-keep.exe";
    const std::vector<size_t> copies = StartCopies(name, 2);
    ASSERT_EQ(copies.size(), 2u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 1\r\n"));

    const std::vector<int> rows = RowsNamed(Refresh(), name);
    ASSERT_EQ(rows.size(), 2u);
    const size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(rows[0]));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    HWND box = ExpectQuestion("Terminate Process", name + "\n\nKill process structure?");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDNO));

    ASSERT_NO_FATAL_FAILURE(ExpectNothingLoggedSince(before));
    EXPECT_TRUE(NoneEnds(copies));
    EXPECT_EQ(RowsNamed(Rows(), name).size(), 2u);
}

TEST_F(TaskActionsTest, CancelOnTheSecondCheckedRowEndsOnlyTheFirst) {
    const char* names[] = {"tma-cancel-a.exe", "tma-cancel-b.exe", "tma-cancel-c.exe"};
    std::vector<std::pair<int, size_t>> checked; // row, copy
    std::vector<size_t> all;
    for (const char* n : names) {
        const std::vector<size_t> c = StartCopies(n, 1);
        ASSERT_EQ(c.size(), 1u);
        all.push_back(c[0]);
    }
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 1\r\n"));

    const ListViewDump dump = Refresh();
    for (size_t i = 0; i < 3; ++i) {
        const std::vector<int> rows = RowsNamed(dump, names[i]);
        ASSERT_EQ(rows.size(), 1u) << names[i];
        checked.emplace_back(rows[0], all[i]);
    }
    // The walk goes down the list, whatever order the copies were started in.
    std::sort(checked.begin(), checked.end());
    auto nameOf = [&](size_t k) { return dump.rows[checked[k].first].cells[kTaskColumn]; };

    const size_t before = LogLines().size();
    for (const auto& rc : checked)
        ASSERT_NO_FATAL_FAILURE(Check(rc.first));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    HWND box = ExpectQuestion("Terminate Process", nameOf(0) + "\n\nKill process structure?");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDYES));
    box = ExpectQuestion("Terminate Process", nameOf(1) + "\n\nKill process structure?");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDCANCEL));

    EXPECT_TRUE(EndsWithCodeZero(checked[0].second));
    ExpectTerminateLog(before, {nameOf(0)},
                       MemoryLine(dump.rows[checked[0].first].cells[kSizeColumn]));
    EXPECT_EQ(FindDialog(app_.Id()), nullptr) << "the third row was asked about after Cancel";
    EXPECT_TRUE(NoneEnds({checked[1].second, checked[2].second}));
    const ListViewDump after = Rows();
    EXPECT_EQ(RowsNamed(after, nameOf(1)).size(), 1u);
    EXPECT_EQ(RowsNamed(after, nameOf(2)).size(), 1u);
}

TEST_F(TaskActionsTest, CriticalOnlyAsksAboutSystemFolderTasks) {
    const std::string name = "tma-plain.exe";
    const std::vector<size_t> copies = StartCopies(name, 1);
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 2\r\n"));

    const ListViewDump dump = Refresh();
    const std::vector<int> plain = RowsNamed(dump, name);
    ASSERT_EQ(plain.size(), 1u);
    int critical = -1;
    for (size_t i = 0; i < dump.rows.size() && critical < 0; ++i) {
        const ListRow& r = dump.rows[i];
        if (!r.cells[kTaskColumn].empty() &&
            testsupport::AsciiUpper(r.cells[kFileColumn]).rfind("C:\\WINDOWS\\SYSTEM32\\", 0) == 0)
            critical = static_cast<int>(i);
    }
    ASSERT_GE(critical, 0) << "no task under C:\\windows\\system32 to ask about";
    const ListRow& sys = dump.rows[critical];
    const std::string sysName = sys.cells[kTaskColumn];
    const size_t sysRowsBefore = RowsNamed(dump, sysName).size();

    const size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(critical));
    ASSERT_NO_FATAL_FAILURE(Check(plain[0]));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    // The system task is kept (No); the other is ended without a question.
    HWND box = ExpectQuestion("Terminate Critical Process",
                              "Critical process detected!\n\nName: " + sysName + "\n\nFile: " +
                                  sys.cells[kFileColumn] + "\n\nReally kill process structure?");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDNO));

    EXPECT_TRUE(EndsWithCodeZero(copies[0]));
    ExpectTerminateLog(before, {name}, MemoryLine(dump.rows[plain[0]].cells[kSizeColumn]));
    EXPECT_EQ(FindDialog(app_.Id()), nullptr);
    EXPECT_EQ(RowsNamed(Rows(), sysName).size(), sysRowsBefore) << sysName << " was ended";
}

TEST_F(TaskActionsTest, NeverAskEndsTheCheckedTasksWithoutAQuestion) {
    const std::string name = "tma-never.exe";
    const std::vector<size_t> copies = StartCopies(name, 2);
    ASSERT_EQ(copies.size(), 2u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 4\r\n"));

    const ListViewDump dump = Refresh();
    const std::vector<int> rows = RowsNamed(dump, name);
    ASSERT_EQ(rows.size(), 2u);
    const size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(rows[0]));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));

    // A question would hold the walk up, so the copies ending shows none was asked.
    for (size_t c : copies)
        EXPECT_TRUE(EndsWithCodeZero(c));
    ExpectTerminateLog(before, {name}, MemoryLine(dump.rows[rows[0]].cells[kSizeColumn]));
    EXPECT_EQ(FindDialog(app_.Id()), nullptr);
}

// Back shares its button with Terminate: a double-click on Back leaves the page with its first
// click, and its second must not end every checked task without a question.
TEST_F(TaskActionsTest, ADoubleClickOnBackNeverRunsTerminate) {
    const std::string name = "tma-double.exe";
    const std::vector<size_t> copies = StartCopies(name, 1);
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 4\r\n"));
    const std::vector<int> rows = RowsNamed(Refresh(), name);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(Check(rows[0]));
    ASSERT_TRUE(SetRowSelected(Control(TaskList), rows[0], true));
    const size_t before = LogLines().size();
    auto backReads = [&](const char* caption) {
        return WaitUntil([&] { return WindowText(Control(TerminateButton)) == caption; }, kWaitMs);
    };
    for (int opener : {InfoButton, SetupButton}) {
        SCOPED_TRACE(opener);
        ASSERT_TRUE(Click(Control(opener)));
        ASSERT_TRUE(backReads("Back"));
        const RECT back = ClientRect(Control(TerminateButton));
        ASSERT_TRUE(MouseClick(Control(TerminateButton), back.right / 2, back.bottom / 2, 2));
        ASSERT_TRUE(backReads("Terminate"));
        EXPECT_FALSE(copies_[copies[0]].WaitExit(1000)) << "the second click ended the task";
    }
    for (const std::string& line : LogSince(before))
        EXPECT_NE(line.rfind("Terminated: ", 0), 0u) << line;
}

TEST_F(TaskActionsTest, UnknownAskValueFromTheFileAsksLogsAndEndsNothing) {
    const std::string name = "tma-three.exe";
    const std::vector<size_t> copies = StartCopies(name, 1);
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 3\r\n"));

    const std::vector<int> rows = RowsNamed(Refresh(), name);
    ASSERT_EQ(rows.size(), 1u);
    const size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(rows[0]));
    ASSERT_TRUE(Click(Control(TerminateButton)));

    ASSERT_NO_FATAL_FAILURE(ExpectNothingLoggedSince(before));
    EXPECT_TRUE(NoneEnds(copies));
}

TEST_F(TaskActionsTest, TerminateSwitchedOffLogsEveryRowButLeavesTheCopiesRunning) {
    const std::string name = "tma-dry.exe";
    const std::vector<size_t> copies = StartCopies(name, 3);
    ASSERT_EQ(copies.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 4\r\nEnableTaskTerminate = 0\r\n"));

    const ListViewDump dump = Refresh();
    const std::vector<int> rows = RowsNamed(dump, name);
    ASSERT_EQ(rows.size(), 3u);
    const size_t before = LogLines().size();
    for (int r : rows)
        ASSERT_NO_FATAL_FAILURE(Check(r));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));

    const std::vector<std::string> added = WaitLogLine(before, "Initialized tasks: ");
    ASSERT_EQ(added.size(), 5u) << JoinLines(added);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(added[i], "Terminated: " + name);
    // Each row's size cell is its bytes rounded down to KB; the sum of the bytes may round up
    // by at most the two lost fractions.
    long long cells = 0;
    for (int r : rows)
        cells += std::stoll(dump.rows[r].cells[kSizeColumn]);
    EXPECT_TRUE(added[3] == MemoryLine(std::to_string(cells)) ||
                added[3] == MemoryLine(std::to_string(cells + 1)) ||
                added[3] == MemoryLine(std::to_string(cells + 2)))
        << added[3] << ", the cells add up to " << cells << " KB";
    EXPECT_EQ(added[4], RefreshLine());

    EXPECT_TRUE(NoneEnds(copies));
    EXPECT_EQ(RowsNamed(Rows(), name).size(), 3u);
}

TEST_F(TaskActionsTest, DetectChecksTasksOutsideTheSystemFolderButNotItself) {
    const std::vector<size_t> a = StartCopies("tma-detect-a.exe", 2);
    const std::vector<size_t> b = StartCopies("tma-detect-b.exe", 1);
    ASSERT_EQ(a.size() + b.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("EnableTaskTerminate = 0\r\n"));

    const ListViewDump before = Refresh();
    const std::vector<int> own = RowsNamed(before, "Morvane.exe");
    ASSERT_EQ(own.size(), 1u);
    // A selected row loses its selection; a checked system row loses its mark.
    ASSERT_TRUE(SetRowSelected(Control(TaskList), own[0], true));
    for (size_t i = 0; i < before.rows.size(); ++i) {
        if (InSystemFolder(testsupport::AsciiUpper(before.rows[i].cells[kFileColumn]))) {
            ASSERT_NO_FATAL_FAILURE(Check(static_cast<int>(i)));
            break;
        }
    }
    const size_t lines = LogLines().size();
    ASSERT_TRUE(Click(Control(DetectButton)));
    const std::vector<std::string> added = WaitLogLine(lines, "Detected unnecessary tasks: ");
    const ListViewDump dump = Rows();
    ASSERT_NO_FATAL_FAILURE(ExpectDetected(dump, added, false));

    // The cases the rule is there for, named.
    for (const char* helper : {"tma-detect-a.exe", "tma-detect-b.exe"})
        for (int r : RowsNamed(dump, helper))
            EXPECT_TRUE(dump.rows[r].checked) << helper;
    EXPECT_FALSE(dump.rows[RowsNamed(dump, "Morvane.exe")[0]].checked);
    const std::vector<int> explorer = RowsNamed(dump, "explorer.exe");
    EXPECT_FALSE(explorer.empty()) << "Wine's desktop runs explorer.exe";
    for (int r : explorer)
        EXPECT_FALSE(dump.rows[r].checked) << dump.rows[r].cells[kFileColumn];
}

// Detect takes its own task to be the file name up to the first dot, then ".exe": renamed
// my.tool.exe, the program looks for "my.exe", so "Never detect own task" does not spare its row.
TEST_F(TaskActionsTest, DetectKnowsItsOwnRowByTheNameUpToTheFirstDot) {
    const struct {
        const wchar_t* exe;
        const char* detectOwn;
    } cases[] = {{L"Morvane.exe", "0"}, {L"my.tool.exe", "1"}, {L"my.tool.exe", "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiText(c.exe) + ", EnableDetectOwnTask = " + c.detectOwn);
        if (exe_ != c.exe) {
            ASSERT_NO_FATAL_FAILURE(MoveProgram(L"", c.exe));
        }
        ASSERT_NO_FATAL_FAILURE(LaunchWith("EnableTaskTerminate = 0\r\nEnableDetectOwnTask = " +
                                           std::string(c.detectOwn) + "\r\n"));
        const size_t lines = LogLines().size();
        ASSERT_TRUE(Click(Control(DetectButton)));
        const std::vector<std::string> added = WaitLogLine(lines, "Detected unnecessary tasks: ");
        const ListViewDump dump = Rows();
        ASSERT_NO_FATAL_FAILURE(ExpectDetected(dump, added, true));
        const std::vector<int> own = RowsNamed(dump, AnsiText(c.exe));
        ASSERT_EQ(own.size(), 1u);
        EXPECT_TRUE(dump.rows[own[0]].checked) << dump.rows[own[0]].cells[kFileColumn];
        EXPECT_EQ(CloseApp(), 0u);
    }
}

// A program among Windows' own app hosts: Detect leaves it alone and Terminate asks first.
TEST_F(TaskActionsTest, ATaskInSystemAppsIsNotDetectedAndIsAskedAboutAsCritical) {
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetSystemWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::string apps = std::string(windows) + "\\SystemApps\\";
    const std::string package = apps + "Morvane.AppHost_e2e\\";
    ASSERT_TRUE(MakeFolder(apps) && MakeFolder(package)) << package;
    const std::string name = "tma-apphost.exe";
    const std::vector<size_t> copies = StartCopies(name, 1, package);
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 2\r\n"));

    ListViewDump dump = Refresh();
    std::vector<int> rows = RowsNamed(dump, name);
    ASSERT_EQ(rows.size(), 1u);
    const std::string file = dump.rows[rows[0]].cells[kFileColumn];
    ASSERT_EQ(testsupport::AsciiUpper(file), testsupport::AsciiUpper(package + name));

    size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(rows[0]));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    HWND box = ExpectQuestion("Terminate Critical Process",
                              "Critical process detected!\n\nName: " + name + "\n\nFile: " + file +
                                  "\n\nReally kill process structure?");
    ASSERT_NO_FATAL_FAILURE(Answer(box, IDNO));
    ASSERT_NO_FATAL_FAILURE(ExpectNothingLoggedSince(before));
    EXPECT_FALSE(copies_[copies[0]].WaitExit(1000)) << name << " ended after No";

    // Detect sets every mark afresh: this row's goes.
    before = LogLines().size();
    ASSERT_TRUE(Click(Control(DetectButton)));
    const std::vector<std::string> added = WaitLogLine(before, "Detected unnecessary tasks: ");
    dump = Rows();
    ASSERT_NO_FATAL_FAILURE(ExpectDetected(dump, added, false));
    rows = RowsNamed(dump, name);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(dump.rows[rows[0]].checked) << file;
}

TEST_F(TaskActionsTest, ClearCountsCheckedRowsAndTheSelectedOne) {
    const std::vector<size_t> copies = StartCopies("tma-clear.exe", 3);
    ASSERT_EQ(copies.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("EnableTaskTerminate = 0\r\n"));

    const std::vector<int> rows = RowsNamed(Refresh(), "tma-clear.exe");
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(Check(rows[0]));
    ASSERT_NO_FATAL_FAILURE(Check(rows[1]));
    ASSERT_TRUE(SetRowSelected(Control(TaskList), rows[2], true));
    {
        const ListViewDump marked = Rows();
        ASSERT_TRUE(marked.rows[rows[2]].selected);
        ASSERT_FALSE(marked.rows[rows[2]].checked);
    }

    size_t lines = LogLines().size();
    ASSERT_TRUE(Click(Control(ClearButton)));
    std::vector<std::string> added = WaitLogLine(lines, "Unchecked tasks: ");
    EXPECT_EQ(added, (std::vector<std::string>{"Unchecked tasks: 3"})) << JoinLines(added);
    const ListViewDump dump = Rows();
    for (size_t i = 0; i < dump.rows.size(); ++i) {
        EXPECT_FALSE(dump.rows[i].checked) << "row " << i;
        EXPECT_FALSE(dump.rows[i].selected) << "row " << i;
    }

    lines = LogLines().size();
    ASSERT_TRUE(Click(Control(ClearButton)));
    added = WaitLogLine(lines, "Unchecked tasks: ");
    EXPECT_EQ(added, (std::vector<std::string>{"Unchecked tasks: 0"})) << JoinLines(added);
    EXPECT_TRUE(NoneEnds(copies));
}

// Confirming Morvane's own row, with the freeze on: the other process of that name ends, the
// walk finishes and logs, and the program then leaves through its orderly shutdown.
TEST_F(TaskActionsTest, ConfirmingItsOwnTaskEndsTheNamesakeAndThenItselfInOrder) {
    // A folder of its own, inside the helper folder so that tear-down removes it.
    const std::string other = helpers_ + "namesake\\";
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    const std::vector<size_t> namesake = StartCopies("Morvane.exe", 1, other);
    ASSERT_EQ(namesake.size(), 1u);
    ASSERT_NO_FATAL_FAILURE(
        LaunchWith("AskTerminate = 4\r\nEnableTaskFreeze = 1\r\nEnableTaskTerminate = 1\r\n"));

    const ListViewDump dump = Refresh();
    const std::vector<int> rows = RowsNamed(dump, "Morvane.exe");
    ASSERT_EQ(rows.size(), 2u);
    // Check the row that stands for this copy of Morvane (either, when both show one PID).
    int mine = rows[0];
    for (int r : rows)
        if (dump.rows[r].cells[kPidColumn] == std::to_string(app_.Id())) mine = r;
    ASSERT_NO_FATAL_FAILURE(Check(mine));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));

    EXPECT_TRUE(EndsWithCodeZero(namesake[0])) << "the other Morvane.exe still runs";
    DWORD code = ~0u;
    ASSERT_TRUE(app_.WaitExit(kExitWaitMs, &code)) << "Morvane hung after ending its own task";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(FindTopWindow(app_.Id(), "Morvane"), nullptr);

    bool exists = false;
    const std::string log = ReadFile("Morvane.log", &exists);
    ASSERT_TRUE(exists) << "no session log";
    const size_t terminated = log.find("\r\n  Terminated: Morvane.exe\r\n");
    ASSERT_NE(terminated, std::string::npos) << log;
    const size_t memory = log.find("\r\n  Restored memory: ", terminated);
    ASSERT_NE(memory, std::string::npos) << log;
    const size_t memoryEnd = log.find("\r\n", memory + 2);
    ASSERT_NE(memoryEnd, std::string::npos);
    // Only its own row was checked: its size, as the refresh showed it.
    EXPECT_EQ(log.substr(memory + 4, memoryEnd - memory - 4),
              MemoryLine(dump.rows[mine].cells[kSizeColumn]));
    EXPECT_NE(log.find("\r\n  Initialized tasks: ", memory), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n[ Session-End: ", memory), std::string::npos) << log;

    // The settings file is rewritten in full at an orderly end, not left as the test wrote it.
    const std::string ini = ReadFile("Morvane.ini", &exists);
    EXPECT_TRUE(exists);
    EXPECT_NE(ini.find("\r\nWindowX = "), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\nAskTerminate = 4\r\n"), std::string::npos) << ini;
}

// Names outside the code page, and names whose look-alike in it would be another program's, are
// shown as the system writes them: in the row, the question, the module page's caption. Detect
// and Terminate act on them, and the log file writes "?" for what its code page lacks.
TEST_F(TaskActionsTest, NamesAreShownAsTheSystemWritesThem) {
    const std::wstring folder =
        WideText(helpers_) + L"\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F\\";
    const std::wstring names[] = {L"\x4E2D\x6587\x8FDB\x7A0B.exe",
                                  L"\xFF53\xFF56\xFF43\xFF48\xFF4F\xFF53\xFF54.exe",
                                  L"\x0141\xF3"
                                  L"d\x017A-sync.exe"};
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const std::wstring& name : names) {
        ASSERT_TRUE(CopyFileW(WideText(e2e::ExeFolder() + "sleeper.exe").c_str(),
                              (folder + name).c_str(), TRUE));
        Process copy;
        ASSERT_TRUE(copy.Start(folder + name, folder));
        const DWORD id = copy.Id();
        ASSERT_TRUE(WaitUntil([id] { return !testsupport::ExecutableNameOf(id).empty(); }));
        copies_.push_back(std::move(copy));
    }
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 1\r\n"));
    const ListViewDump dump = Refresh();
    for (const std::wstring& name : names) {
        const std::vector<int> rows = RowsNamed(dump, Utf8(name));
        ASSERT_EQ(rows.size(), 1u) << Utf8(name);
        EXPECT_EQ(dump.rows[rows[0]].cells[kFileColumn], Utf8(folder + name));
    }
    const std::string chinese = Utf8(names[0]);
    const int row = RowsNamed(dump, chinese)[0];

    // The question names it, and No leaves it running.
    ASSERT_NO_FATAL_FAILURE(Check(row));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    Answer(ExpectQuestion("Terminate Process", chinese + "\n\nKill process structure?"), IDNO);
    EXPECT_FALSE(copies_[0].WaitExit(1000));

    // Its module page bears its name.
    ASSERT_TRUE(SetRowSelected(Control(TaskList), row, true));
    ASSERT_TRUE(Click(Control(InfoButton)));
    EXPECT_TRUE(WaitUntil(
        [&] { return WindowText(Control(TaskFrame)).rfind(chinese + " [ ", 0) == 0; }, kWaitMs))
        << WindowText(Control(TaskFrame));
    ASSERT_TRUE(Click(Control(TerminateButton)));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(Control(TerminateButton)) == "Terminate"; }));

    // Detect checks it; confirmed, it ends.
    ASSERT_NO_FATAL_FAILURE(DetectAndClear(false));
    EXPECT_TRUE(detected_.rows[row].checked);
    const size_t lines = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(row));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    Answer(ExpectQuestion("Terminate Process", chinese + "\n\nKill process structure?"), IDYES);
    EXPECT_TRUE(EndsWithCodeZero(0));
    ExpectTerminateLog(lines, {chinese}, MemoryLine(dump.rows[row].cells[kSizeColumn]));
    EXPECT_EQ(CloseApp(), 0u);
    EXPECT_NE(ReadFile("Morvane.log").find("\r\n  Terminated: ????.exe\r\n"), std::string::npos);
}

// Morvane about 300 characters deep, under a name outside the code page, beside a task whose
// name reads the same in ANSI ("??????.exe" both): both show their own names, Detect spares its
// own row alone, and
// confirming that row ends the program in order, with its log kept in that folder.
TEST_F(TaskActionsTest, OwnRowIsKnownInADeepFolderUnderANonLatinName) {
    const std::wstring ownName = L"\x0416\x0443\x0440\x043D\x0430\x043B.exe";
    const std::wstring lookalikePath =
        WideText(helpers_) + L"\x041B\x0435\x0441\x043D\x0438\x043A.exe";
    ASSERT_TRUE(
        CopyFileW(WideText(e2e::ExeFolder() + "sleeper.exe").c_str(), lookalikePath.c_str(), TRUE));
    Process lookalike;
    ASSERT_TRUE(lookalike.Start(lookalikePath, WideText(helpers_)));
    ASSERT_TRUE(WaitUntil([&] { return !testsupport::ExecutableNameOf(lookalike.Id()).empty(); }));
    ASSERT_NO_FATAL_FAILURE(MoveProgram(DeepSubfolder(300), ownName));
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 4\r\nEnableTaskFreeze = 1\r\n"));

    ASSERT_NO_FATAL_FAILURE(DetectAndClear(false));
    const ListViewDump& dump = detected_;
    auto rowOf = [&dump](DWORD pid) {
        for (size_t i = 0; i < dump.rows.size(); ++i)
            if (dump.rows[i].cells[kPidColumn] == std::to_string(pid)) return static_cast<int>(i);
        return -1;
    };
    const int own = rowOf(app_.Id()), twin = rowOf(lookalike.Id());
    ASSERT_TRUE(own >= 0 && twin >= 0);
    EXPECT_EQ(dump.rows[own].cells[kTaskColumn], Utf8(ownName));
    EXPECT_EQ(dump.rows[twin].cells[kTaskColumn],
              Utf8(L"\x041B\x0435\x0441\x043D\x0438\x043A.exe"));
    EXPECT_FALSE(dump.rows[own].checked) << dump.rows[own].cells[kFileColumn];
    EXPECT_TRUE(dump.rows[twin].checked) << dump.rows[twin].cells[kFileColumn];
    ASSERT_NO_FATAL_FAILURE(Check(own));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    DWORD code = ~0u;
    ASSERT_TRUE(app_.WaitExit(kExitWaitMs, &code)) << "Morvane did not end with its own task";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(lookalike.WaitExit(1000)) << "the task that only reads the same was ended";
    const std::string log = ReadFile("Morvane.log");
    EXPECT_NE(log.find("\r\n  Terminated: " + AnsiText(ownName) + "\r\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("\r\n[ Session-End: "), std::string::npos) << log;
}

// Beyond 256 processes: every copy is listed, the counts say so, and the last row's
// Terminate ends every copy of its name.
TEST_F(TaskActionsTest, ThreeHundredCopiesAreAllListedAndTheLastRowEndsThemAll) {
    const std::string name = "tma-crowd.exe";
    const std::vector<size_t> copies = StartCopies(name, 300);
    ASSERT_EQ(copies.size(), 300u);
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 4\r\n"));

    const ListViewDump dump = Refresh();
    const std::vector<int> rows = RowsNamed(dump, name);
    ASSERT_EQ(rows.size(), 300u);
    const std::string count = std::to_string(testsupport::AllProcessIds().size());
    EXPECT_EQ(std::to_string(dump.rows.size()), count);
    EXPECT_EQ(WindowText(Control(TaskFrame)), "Active Tasks [ " + count + " ]");
    EXPECT_EQ(LogLines().back(), "Initialized tasks: " + count);

    const size_t before = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(Check(rows.back()));
    ASSERT_TRUE(PostClick(Control(TerminateButton)));
    for (size_t c : copies)
        EXPECT_TRUE(EndsWithCodeZero(c)) << "copy " << copies_[c].Id();
    const std::vector<std::string> added = WaitLogLine(before, "Initialized tasks: ");
    ASSERT_FALSE(added.empty());
    EXPECT_EQ(added[0], "Terminated: " + name);
    EXPECT_TRUE(RowsNamed(Rows(), name).empty());
}

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Refresh clicked from outside against the floor program (tests/helpers/refresh_floor.cpp) at
// about 10, 70 and 300 processes, each copy of a name of its own so that every row is read. The
// two take turns, so that a change in the machine's load reaches both:
//   e2e_tests.exe --gtest_also_run_disabled_tests --gtest_filter=*RefreshAgainstTheFloor*
TEST_F(TaskActionsTest, DISABLED_RefreshAgainstTheFloor) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    const std::string report = helpers_ + "floor.txt";
    // Only the count is asked: reading the lines would add their own time.
    const auto lines = [this] {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(Control(LogList), LB_GETCOUNT, 0, 0, SMTO_BLOCK, 60000, &count);
        return count;
    };
    std::printf("%10s %13s %11s %7s\n", "processes", "refresh (ms)", "floor (ms)", "ratio");
    int copy = 0;
    for (size_t target : {10u, 70u, 300u}) {
        while (testsupport::AllProcessIds().size() < target)
            ASSERT_EQ(StartCopies("floor" + std::to_string(copy++) + ".exe", 1).size(), 1u);
        std::vector<double> refresh, floor;
        for (int run = 0; run < 9; ++run) {
            const DWORD_PTR before = lines();
            const double start = NowMs();
            ASSERT_TRUE(PostClick(Control(RefreshButton)));
            // The window answers once the refresh has logged its line.
            while (lines() <= before) {
            }
            refresh.push_back(NowMs() - start);

            Process pass;
            ASSERT_TRUE(
                pass.Start(e2e::ExeFolder() + "refresh_floor.exe", helpers_, "\"" + report + "\""));
            DWORD code = ~0u;
            ASSERT_TRUE(pass.WaitExit(kExitWaitMs, &code) && code == 0);
            floor.push_back(0);
            ASSERT_EQ(std::sscanf(testsupport::ReadTextFile(report).c_str(), "%lf", &floor.back()),
                      1);
        }
        std::printf("%10zu %13.1f %11.1f %7.2f\n", Rows().rows.size(), Median(refresh),
                    Median(floor), Median(refresh) / Median(floor));
        std::fflush(stdout);
    }
}
} // namespace

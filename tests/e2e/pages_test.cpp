// The module page, the export page and the Setup panel, driven from outside as a user would:
// what the lists and captions show, what is logged, and what is left in the files at the end.
#include "ui/control_ids.h"
#include "base/ansi_text_win.h"
#include "e2e_support.h"
#include "native/pe_test_image.h"
#include "win/control_places.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

using namespace driver;
using testsupport::SameTextIgnoringCase;

namespace {

const DWORD kWaitMs = e2e::kWaitMs;
const char* const kNoLine = "<no such log line>";

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           SameTextIgnoringCase(text.substr(text.size() - tail.size()), tail);
}

// "<name> [ <count> ]": the count, or -1 when the caption has another form.
int CaptionCount(const std::string& caption, const std::string& name) {
    const std::string head = name + " [ ";
    if (!StartsWith(caption, head)) return -1;
    unsigned count = 0;
    char tail[4] = {};
    if (std::sscanf(caption.c_str() + head.size(), "%u %3s", &count, tail) != 2 ||
        std::strcmp(tail, "]") != 0 || caption != head + std::to_string(count) + " ]")
        return -1;
    return static_cast<int>(count);
}

// "Key = value" lines of a settings file.
std::map<std::string, std::string> IniValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::string rest;
    for (const std::string& line : e2e::SplitCrLf(text, &rest)) {
        const size_t eq = line.find(" = ");
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 3);
    }
    return values;
}

std::vector<std::string> Column(const ListViewDump& dump, size_t column) {
    std::vector<std::string> cells;
    for (const ListRow& row : dump.rows)
        cells.push_back(column < row.cells.size() ? row.cells[column] : std::string());
    return cells;
}

int RowNamed(const ListViewDump& dump, size_t column, const std::string& name) {
    for (size_t i = 0; i < dump.rows.size(); ++i)
        if (column < dump.rows[i].cells.size() &&
            SameTextIgnoringCase(dump.rows[i].cells[column], name))
            return static_cast<int>(i);
    return -1;
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\";
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The names of a DLL's export name table, read by this test's own walk of the image the loader
// maps here: what the export page and its report must hold, whole and in order.
std::vector<std::string> ExportNamesOf(const std::string& path,
                                       std::vector<DWORD>* functionRvas = nullptr) {
    std::vector<std::string> names;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return names;
    const auto* base = reinterpret_cast<const char*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    if (rva != 0) {
        const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + rva);
        const auto* nameRvas = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
        const auto* ordinals =
            reinterpret_cast<const WORD*>(base + directory->AddressOfNameOrdinals);
        const auto* functions =
            reinterpret_cast<const DWORD*>(base + directory->AddressOfFunctions);
        for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
            names.emplace_back(base + nameRvas[i]);
            if (functionRvas) functionRvas->push_back(functions[ordinals[i]]);
        }
    }
    FreeLibrary(module);
    return names;
}

// Where a listed column parts from the expected one, for a failure that names the row; empty
// when they are the same.
std::string Difference(const std::vector<std::string>& listed,
                       const std::vector<std::string>& expected) {
    size_t i = 0;
    while (i < listed.size() && i < expected.size() && listed[i] == expected[i])
        ++i;
    if (i == listed.size() && i == expected.size()) return {};
    return "row " + std::to_string(i) + " of " + std::to_string(listed.size()) + " reads \"" +
           (i < listed.size() ? listed[i] : "(none)") + "\" where \"" +
           (i < expected.size() ? expected[i] : "(none)") + "\" of " +
           std::to_string(expected.size()) + " is expected";
}

// The report the export page must write for these names.
std::string ExpectedReport(const std::string& library, const std::vector<std::string>& names) {
    std::string text =
        "Library: " + library + "\r\nEntries: " + std::to_string(names.size()) + "\r\n\r\n";
    for (const std::string& name : names)
        text += name + "\r\n";
    return text;
}

class PagesTest : public e2e::MorvaneTest {
  protected:
    bool Shown(int id) const {
        HWND control = Control(id);
        return control && IsWindowVisible(control);
    }
    bool Enabled(int id) const {
        HWND control = Control(id);
        return control && IsWindowEnabled(control);
    }
    std::string Text(int id) const { return WindowText(Control(id)); }
    bool Checked(int id) const {
        DWORD_PTR state = 0;
        return SendMessageTimeoutA(Control(id), BM_GETCHECK, 0, 0, SMTO_NORMAL, kMessageTimeoutMs,
                                   &state) &&
               state == BST_CHECKED;
    }
    bool WaitShown(int id) {
        return WaitUntil([&] { return Shown(id); }, kWaitMs);
    }

    // Clicks the button that opens the export page of `library`; once the page shows, checks that
    // it lists `names` whole, in order and numbered, and that its caption and log line count them.
    // Gives the rows (none when the page never showed).
    ListViewDump OpenExportPage(int button, const std::string& library,
                                const std::vector<std::string>& names) {
        const size_t lines = LogLines().size();
        if (!Click(Control(button)) || !WaitShown(ExportList) ||
            !WaitUntil([&] { return CaptionCount(Text(TaskFrame), library) >= 0; }, kWaitMs)) {
            ADD_FAILURE() << "no export page of " << library << ": " << Text(TaskFrame);
            return {};
        }
        const std::string count = std::to_string(names.size());
        EXPECT_EQ(Text(TaskFrame), library + " [ " + count + " ]");
        EXPECT_EQ(LogLineAt(lines), "Traced functions of " + library + ": " + count);
        const ListViewDump rows = Dump(ExportList);
        EXPECT_EQ(Difference(Column(rows, 1), names), "");
        for (size_t i = 0; i < rows.rows.size(); ++i)
            EXPECT_EQ(rows.rows[i].cells[0], std::to_string(i + 1));
        return rows;
    }

    // The log line at `index` once it has been added.
    std::string LogLineAt(size_t index) const {
        std::string line = kNoLine;
        WaitUntil(
            [&] {
                const std::vector<std::string> lines = LogLines();
                if (lines.size() <= index) return false;
                line = lines[index];
                return true;
            },
            kWaitMs);
        return line;
    }

    // Starts kInfoTask, a task whose DLLs the program can read whatever the system's bitness, as
    // it is of the tests' own (a copy of the DLL loader, with comdlg32, shell32 and version.dll
    // besides the system's), then the program, so that its first refresh lists the task.
    static constexpr char kInfoTask[] = "mvinfo.exe";
    void LaunchWithInfoTask() {
        ASSERT_NE(infoTask_.Start(helperFolder_.CopyHelper("dll_loader.exe", kInfoTask)).id, 0u);
        ASSERT_NO_FATAL_FAILURE(LaunchWith());
    }

    // Selects the task's row and presses Info; returns the task's name as listed.
    std::string OpenModulePage(const std::string& task) {
        const ListViewDump tasks = Dump(TaskList);
        const int row = RowNamed(tasks, 0, task);
        EXPECT_GE(row, 0) << task << " is not listed";
        if (row < 0) return {};
        EXPECT_TRUE(SetRowSelected(Control(TaskList), row, true));
        EXPECT_TRUE(Click(Control(InfoButton)));
        EXPECT_TRUE(WaitShown(ModuleList)) << "no module page";
        const std::string name = tasks.rows[static_cast<size_t>(row)].cells[0];
        EXPECT_TRUE(WaitUntil([&] { return CaptionCount(Text(TaskFrame), name) >= 0; }, kWaitMs))
            << Text(TaskFrame);
        return name;
    }

    void OpenSetup() {
        ASSERT_TRUE(Click(Control(SetupButton)));
        ASSERT_TRUE(WaitShown(SetupTabs)) << "no Setup panel";
        ASSERT_TRUE(WaitUntil([&] { return Text(TaskFrame) == "Setup"; }, kWaitMs));
    }

    // Back on the Setup panel; waits until the task list is there again.
    void LeaveSetup() {
        ASSERT_TRUE(Click(Control(TerminateButton)));
        ASSERT_TRUE(WaitShown(TaskList));
        ASSERT_TRUE(Sync(window_));
    }

    // Picks a file in the "Select file" dialog of the DLL row's "..." button.
    void ChooseDll(const std::string& path) {
        ASSERT_TRUE(SelectTab(Control(SetupTabs), 1));
        ASSERT_TRUE(WaitShown(DllBrowseButton));
        ASSERT_TRUE(PostClick(Control(DllBrowseButton)));
        HWND dialog = WaitDialog(app_.Id(), kWaitMs);
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        DialogInfo info;
        ASSERT_TRUE(ReadDialog(dialog, &info));
        EXPECT_EQ(info.title, "Select file");
        ASSERT_TRUE(AnswerFileDialog(dialog, path, true));
        ASSERT_TRUE(WaitUntil([&] { return Enabled(ShowButton); }, kWaitMs))
            << "Show stayed disabled";
    }

    // Closes the window wherever it is and checks the orderly end: exit code 0, the run's lines
    // appended to Morvane.log between the start and end lines, and a complete Morvane.ini.
    void ExpectOrderlyEnd() {
        const std::vector<std::string> lines = LogLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(CloseApp(), 0u);

        bool exists = false;
        const std::string log = ReadFile("Morvane.log", &exists);
        ASSERT_TRUE(exists) << "no session log";
        std::string rest;
        const std::vector<std::string> written = e2e::SplitCrLf(log, &rest);
        EXPECT_EQ(rest, "");
        ASSERT_EQ(written.size(), lines.size() + 3) << log;
        EXPECT_TRUE(StartsWith(written[0], "[ Session-Log: ")) << written[0];
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(written[i + 1], "  " + lines[i]);
        EXPECT_TRUE(StartsWith(written[lines.size() + 1], "[ Session-End: "))
            << written[lines.size() + 1];
        EXPECT_EQ(written.back(), "");

        const std::string ini = ReadFile("Morvane.ini", &exists);
        ASSERT_TRUE(exists) << "no settings file";
        const std::vector<std::string> keys = e2e::SplitCrLf(ini, &rest);
        EXPECT_EQ(rest, "");
        ASSERT_EQ(keys.size(), 12u) << ini;
        EXPECT_EQ(keys[0], "[Morvane SetUp]");
        EXPECT_TRUE(StartsWith(keys[11], "CurrentDir = ")) << keys[11];
    }

    testsupport::TempFolder helperFolder_;
    testsupport::ChildProcesses infoTask_; // ended before its folder goes
};

TEST_F(PagesTest, InfoWithoutASelectedTaskOnlyAsksForOne) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    const ListViewDump tasks = Dump(TaskList);
    for (size_t i = 0; i < tasks.rows.size(); ++i)
        if (tasks.rows[i].selected) {
            ASSERT_TRUE(SetRowSelected(Control(TaskList), static_cast<int>(i), false));
        }
    const std::string frame = Text(TaskFrame);
    const size_t before = LogLines().size();

    ASSERT_TRUE(Click(Control(InfoButton)));
    EXPECT_EQ(LogLineAt(before), "Please select a task first...");
    ASSERT_TRUE(Sync(window_));
    EXPECT_EQ(LogLines().size(), before + 1);
    EXPECT_TRUE(Shown(TaskList));
    EXPECT_EQ(Control(ModuleList), nullptr) << "no module page was built";
    EXPECT_EQ(Text(TaskFrame), frame);
    EXPECT_EQ(Text(TerminateButton), "Terminate");
    for (int id : {RefreshButton, DetectButton, ClearButton, InfoButton, SetupButton})
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(PagesTest, InfoOnATaskListsItsModulesAndBackRestoresTheTaskPage) {
    ASSERT_NO_FATAL_FAILURE(LaunchWithInfoTask());
    const ListViewDump tasksBefore = Dump(TaskList);
    const std::string taskFrame = Text(TaskFrame);
    const size_t before = LogLines().size();

    const std::string name = OpenModulePage(kInfoTask);
    ASSERT_FALSE(HasFailure());
    const int count = CaptionCount(Text(TaskFrame), name);
    ASSERT_GE(count, 1);
    EXPECT_EQ(LogLineAt(before), "Traced dll's of " + name + ": " + std::to_string(count));

    // The page: its own list in the task list's place, Back and Info live, the rest disabled.
    EXPECT_FALSE(Shown(TaskList));
    EXPECT_EQ(Text(TerminateButton), "Back");
    EXPECT_EQ(Text(InfoButton), "Info");
    EXPECT_TRUE(Enabled(TerminateButton));
    EXPECT_TRUE(Enabled(InfoButton));
    for (int id : {RefreshButton, DetectButton, ClearButton, SetupButton})
        EXPECT_FALSE(Enabled(id)) << id;

    const ListViewDump modules = Dump(ModuleList);
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Entry", 39}, {"DLL", 225}, {"Base", 90}, {"Filename", 374 - 21}};
    ASSERT_EQ(modules.columns.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(modules.columns[i].title, columns[i].title);
        EXPECT_EQ(modules.columns[i].width, columns[i].width) << columns[i].title;
    }
    ASSERT_EQ(modules.rows.size(), static_cast<size_t>(count));
    std::map<long long, std::string> bases;
    for (size_t i = 0; i < modules.rows.size(); ++i) {
        const std::vector<std::string>& cells = modules.rows[i].cells;
        ASSERT_EQ(cells.size(), 4u);
        char entry[8];
        std::snprintf(entry, sizeof entry, "%3u", static_cast<unsigned>(i + 1));
        EXPECT_EQ(cells[0], entry);
        EXPECT_FALSE(cells[1].empty()) << "row " << i;
        // The program file itself is not one of the DLLs.
        EXPECT_FALSE(SameTextIgnoringCase(cells[1], name)) << "row " << i;
        EXPECT_TRUE(EndsWithNoCase(cells[3], "\\" + cells[1])) << cells[3];
        char* end = nullptr;
        const long long base = std::strtoll(cells[2].c_str(), &end, 10);
        EXPECT_TRUE(!cells[2].empty() && *end == '\0' && base != 0) << cells[2];
        EXPECT_TRUE(bases.emplace(base, cells[1]).second) << cells[1] << " shares its base";
        EXPECT_FALSE(modules.rows[i].checked);
        EXPECT_FALSE(modules.rows[i].selected);
    }
    EXPECT_GE(RowNamed(modules, 1, "ntdll.dll"), 0);
    EXPECT_GE(RowNamed(modules, 1, "kernel32.dll"), 0);

    // Info with no DLL chosen: a hint, and the page stays as it is.
    const size_t lines = LogLines().size();
    ASSERT_TRUE(Click(Control(InfoButton)));
    EXPECT_EQ(LogLineAt(lines), "Please select a dll first...");
    ASSERT_TRUE(Sync(window_));
    EXPECT_TRUE(Shown(ModuleList));
    EXPECT_FALSE(Shown(ExportList));
    EXPECT_EQ(CaptionCount(Text(TaskFrame), name), count);
    EXPECT_EQ(Text(TerminateButton), "Back");

    // Back: the task list as it was, the module list hidden and empty.
    ASSERT_TRUE(Click(Control(TerminateButton)));
    ASSERT_TRUE(WaitShown(TaskList));
    ASSERT_TRUE(Sync(window_));
    EXPECT_FALSE(Shown(ModuleList));
    EXPECT_TRUE(Dump(ModuleList).rows.empty());
    EXPECT_EQ(Text(TaskFrame), taskFrame);
    EXPECT_EQ(Text(TerminateButton), "Terminate");
    for (int id : {RefreshButton, DetectButton, ClearButton, InfoButton, SetupButton})
        EXPECT_TRUE(Enabled(id)) << id;
    const ListViewDump tasksAfter = Dump(TaskList);
    EXPECT_EQ(Column(tasksAfter, 0), Column(tasksBefore, 0));
    const int row = RowNamed(tasksAfter, 0, name);
    ASSERT_GE(row, 0);
    EXPECT_TRUE(tasksAfter.rows[static_cast<size_t>(row)].selected) << "the selection stays";
}

TEST_F(PagesTest, ExportsOfADllOnTheModulePageAreListedAndSavedAsAReport) {
    ASSERT_NO_FATAL_FAILURE(LaunchWithInfoTask());
    const std::string task = OpenModulePage(kInfoTask);
    ASSERT_FALSE(HasFailure());
    const std::string moduleFrame = Text(TaskFrame);
    const ListViewDump modules = Dump(ModuleList);
    // A small library keeps the cross-process reading of the list short; every process has the
    // last one. One that the program has loaded itself is read where it lies there: its
    // functions' addresses are that load address plus their offsets.
    const std::vector<testsupport::ModuleEntry> loaded = testsupport::ModuleSnapshot(app_.Id());
    int dllRow = -1;
    uintptr_t base = 0;
    for (const char* small : {"version.dll", "imm32.dll", "kernel32.dll"}) {
        base = 0;
        for (const testsupport::ModuleEntry& m : loaded)
            if (SameTextIgnoringCase(m.name, small)) base = m.base;
        if (base != 0 && (dllRow = RowNamed(modules, 1, small)) >= 0) break;
    }
    ASSERT_GE(dllRow, 0);
    const std::string library = modules.rows[static_cast<size_t>(dllRow)].cells[1];
    const std::string libraryPath = modules.rows[static_cast<size_t>(dllRow)].cells[3];
    ASSERT_TRUE(SetRowSelected(Control(ModuleList), dllRow, true));
    std::vector<DWORD> rvas;
    const std::vector<std::string> names = ExportNamesOf(libraryPath, &rvas);
    ASSERT_FALSE(names.empty()) << libraryPath;
    const int count = static_cast<int>(names.size());

    const ListViewDump exports = OpenExportPage(InfoButton, library, names);
    ASSERT_FALSE(HasFailure());
    EXPECT_FALSE(Shown(ModuleList));
    EXPECT_EQ(Text(InfoButton), "Export");
    EXPECT_TRUE(Enabled(InfoButton));
    EXPECT_EQ(Text(TerminateButton), "Back");

    ASSERT_EQ(exports.columns.size(), 3u);
    EXPECT_EQ(exports.columns[0].title, "Entry");
    EXPECT_EQ(exports.columns[0].width, 40);
    EXPECT_EQ(exports.columns[1].title, "Function");
    EXPECT_EQ(exports.columns[1].width, 374 - 60);
    EXPECT_EQ(exports.columns[2].title, "Base");
    EXPECT_EQ(exports.columns[2].width, 90);
    ASSERT_EQ(exports.rows.size(), rvas.size());
    for (size_t i = 0; i < rvas.size(); ++i)
        EXPECT_EQ(exports.rows[i].cells[2], std::to_string(static_cast<intptr_t>(base + rvas[i])))
            << exports.rows[i].cells[1];
    const std::string report = ExpectedReport(library, names);

    // Export, accepting the proposed file: named after the library, in the program's folder.
    const std::string proposed = "DLL_" + library.substr(0, library.size() - 4) + "_Functions.txt";
    size_t lines = LogLines().size();
    ASSERT_TRUE(PostClick(Control(InfoButton)));
    HWND dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    DialogInfo info;
    ASSERT_TRUE(ReadDialog(dialog, &info));
    EXPECT_EQ(info.title, "Export functions of " + library);
    const std::string shown = FileDialogName(dialog);
    EXPECT_TRUE(SameTextIgnoringCase(shown, proposed) ||
                SameTextIgnoringCase(shown, PathOf(proposed)))
        << shown;
    ASSERT_TRUE(AnswerDialog(dialog, IDOK));
    EXPECT_EQ(LogLineAt(lines), "Export functions: " + proposed);
    std::string saved;
    EXPECT_TRUE(WaitUntil([&] { return (saved = ReadFile(proposed)) == report; }, kWaitMs))
        << saved.substr(0, 200);

    // Cancelled: no file, no log line, the page stays.
    const std::vector<std::string> files = FilesIn(folder_);
    lines = LogLines().size();
    ASSERT_TRUE(PostClick(Control(InfoButton)));
    dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileDialog(dialog, {}, false));
    ASSERT_TRUE(Sync(window_));
    EXPECT_EQ(LogLines().size(), lines);
    EXPECT_EQ(FilesIn(folder_), files);
    EXPECT_TRUE(Shown(ExportList));
    EXPECT_EQ(CaptionCount(Text(TaskFrame), library), count);

    // A typed name is taken as it is, and an existing file is replaced, not added to.
    WriteFile("report.lst", std::string(report.size() + 500, 'x'));
    ASSERT_TRUE(PostClick(Control(InfoButton)));
    dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(AnswerFileDialog(dialog, PathOf("report.lst"), true));
    EXPECT_EQ(LogLineAt(lines), "Export functions: report.lst");
    EXPECT_TRUE(WaitUntil([&] { return (saved = ReadFile("report.lst")) == report; }, kWaitMs))
        << saved.size() << " bytes";
    bool extra = true;
    ReadFile("report.lst.txt", &extra);
    EXPECT_FALSE(extra) << "no extension is added";

    // Back to the module page as it was.
    ASSERT_TRUE(Click(Control(TerminateButton)));
    ASSERT_TRUE(WaitShown(ModuleList));
    ASSERT_TRUE(Sync(window_));
    EXPECT_FALSE(Shown(ExportList));
    EXPECT_TRUE(Dump(ExportList).rows.empty());
    EXPECT_EQ(Text(TaskFrame), moduleFrame);
    EXPECT_EQ(Text(InfoButton), "Info");
    EXPECT_EQ(Text(TerminateButton), "Back");
    EXPECT_EQ(Column(Dump(ModuleList), 1), Column(modules, 1));

    // Closing on the module page ends the run in order.
    ExpectOrderlyEnd();
}

// A DLL named and kept outside the code page is shown from Setup under its own name, and its
// report is saved beside it under that name, with the names the DLL holds; the report's own text
// writes "?" for what its code page lacks.
TEST_F(PagesTest, ADllOutsideTheCodePageIsShownAndReported) {
    const std::wstring folder =
        WideText(folder_) + L"\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F\\";
    const std::wstring library = L"\x7248\x672C.dll"; // a copy of version.dll
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(WideText(SystemFolder() + "version.dll").c_str(),
                          (folder + library).c_str(), TRUE));
    const std::vector<std::string> names = ExportNamesOf(SystemFolder() + "version.dll");
    ASSERT_FALSE(names.empty());
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_NO_FATAL_FAILURE(ChooseDll(Utf8(folder + library)));
    OpenExportPage(ShowButton, Utf8(library), names);
    ASSERT_FALSE(HasFailure());

    const std::wstring report = L"DLL_\x7248\x672C_Functions.txt";
    const size_t lines = LogLines().size();
    ASSERT_TRUE(PostClick(Control(InfoButton)));
    HWND dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    const std::string shown = FileDialogName(dialog);
    EXPECT_TRUE(shown == Utf8(report) || shown == Utf8(folder + report)) << shown;
    ASSERT_TRUE(AnswerDialog(dialog, IDOK));
    EXPECT_EQ(LogLineAt(lines), "Export functions: " + Utf8(report));
    std::string saved;
    EXPECT_TRUE(WaitUntil(
        [&] {
            return (saved = testsupport::ReadTextFile(folder + report)) ==
                   ExpectedReport("??.dll", names);
        },
        kWaitMs))
        << saved.substr(0, 200);
}

TEST_F(PagesTest, SetupShowListsTheExportsOfAChosenOrTypedDll) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    EXPECT_FALSE(Enabled(ShowButton));
    EXPECT_FALSE(Enabled(StartButton));
    EXPECT_FALSE(Enabled(InfoButton));

    const std::string system = SystemFolder();
    ASSERT_TRUE(SelectTab(Control(SetupTabs), 1));
    ASSERT_TRUE(WaitShown(DllField));
    // Typing a path is not choosing a file.
    ASSERT_TRUE(TypeText(Control(DllField), system + "version.dll"));
    ASSERT_TRUE(Sync(window_));
    EXPECT_FALSE(Enabled(ShowButton));

    ASSERT_NO_FATAL_FAILURE(ChooseDll(system + "version.dll"));
    EXPECT_TRUE(SameTextIgnoringCase(Text(DllField), system + "version.dll")) << Text(DllField);
    EXPECT_FALSE(Enabled(StartButton)) << "only the row whose file was chosen";

    // Another DLL typed over the chosen one: kernel32, whose page of more than a thousand rows
    // must be read in full.
    const std::string library = "kernel32.dll";
    const std::vector<std::string> names = ExportNamesOf(system + library);
    ASSERT_GT(names.size(), 1000u);
    ASSERT_TRUE(TypeText(Control(DllField), system + library));
    OpenExportPage(ShowButton, library, names);
    ASSERT_FALSE(HasFailure());
    EXPECT_FALSE(Shown(SetupTabs));
    EXPECT_FALSE(Shown(DllField)) << "the Tools controls go with their tabs";
    EXPECT_EQ(Text(InfoButton), "Export");
    EXPECT_TRUE(Enabled(InfoButton));
    EXPECT_EQ(Text(TerminateButton), "Back");
    for (int id : {RefreshButton, DetectButton, ClearButton, SetupButton})
        EXPECT_FALSE(Enabled(id)) << id;

    // Back to the Tools tab, where Info is disabled again.
    ASSERT_TRUE(Click(Control(TerminateButton)));
    ASSERT_TRUE(WaitShown(SetupTabs));
    ASSERT_TRUE(Sync(window_));
    EXPECT_FALSE(Shown(ExportList));
    EXPECT_TRUE(Shown(DllField));
    EXPECT_EQ(Text(TaskFrame), "Setup");
    EXPECT_EQ(Text(InfoButton), "Info");
    EXPECT_FALSE(Enabled(InfoButton));
    EXPECT_TRUE(Enabled(ShowButton));
    TabDump tabs;
    ASSERT_TRUE(DumpTabs(Control(SetupTabs), &tabs));
    EXPECT_EQ(tabs.titles, (std::vector<std::string>{"Preferences", "Tools", "About"}));
    EXPECT_EQ(tabs.current, 1);

    // A path that cannot be loaded: a log line, and the panel stays.
    ASSERT_TRUE(TypeText(Control(DllField), folder_ + "missing.dll"));
    size_t lines = LogLines().size();
    ASSERT_TRUE(Click(Control(ShowButton)));
    EXPECT_EQ(LogLineAt(lines), "Can't initialize: missing.dll");
    ASSERT_TRUE(Sync(window_));
    EXPECT_TRUE(Shown(SetupTabs));
    EXPECT_FALSE(Shown(ExportList));
    EXPECT_EQ(Text(TaskFrame), "Setup");
    EXPECT_FALSE(Enabled(InfoButton));

    // Closing on the export page ends the run in order; the chosen file's folder is kept.
    ASSERT_TRUE(TypeText(Control(DllField), system + "version.dll"));
    ASSERT_TRUE(Click(Control(ShowButton)));
    ASSERT_TRUE(WaitShown(ExportList));
    ASSERT_TRUE(Sync(window_));
    ASSERT_TRUE(WaitUntil([&] { return CaptionCount(Text(TaskFrame), "version.dll") > 0; }));
    ExpectOrderlyEnd();
    EXPECT_TRUE(SameTextIgnoringCase(IniValues(ReadFile("Morvane.ini"))["CurrentDir"], system));
}

TEST_F(PagesTest, SetupChangesAppliedWithBackAreWrittenAtExit) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 2\r\nEnableTaskFreeze = 0\r\n"));
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    // The panel shows the settings as read.
    EXPECT_FALSE(Checked(AskEveryTimeOption));
    EXPECT_TRUE(Checked(AskCriticalOption));
    EXPECT_FALSE(Checked(AskNeverOption));
    EXPECT_FALSE(Checked(StyleNumberOption));
    EXPECT_FALSE(Checked(StyleTimeOption));
    EXPECT_TRUE(Checked(StyleNoneOption));
    for (int id :
         {TaskTerminateCheck, DetectOwnTaskCheck, ShowInfoCheck, SaveInfoCheck, RestoreWindowCheck})
        EXPECT_TRUE(Checked(id)) << id;
    EXPECT_FALSE(Checked(TaskFreezeCheck));

    for (int id : {AskNeverOption, StyleNumberOption, TaskTerminateCheck, TaskFreezeCheck,
                   DetectOwnTaskCheck, SaveInfoCheck, RestoreWindowCheck})
        ASSERT_TRUE(Click(Control(id))) << id;
    ASSERT_TRUE(WaitUntil([&] { return Checked(AskNeverOption) && !Checked(RestoreWindowCheck); }));
    EXPECT_FALSE(Checked(AskCriticalOption));
    EXPECT_FALSE(Checked(StyleNoneOption));

    const size_t lines = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    // The new numbered style already prefixes the line that reports the choice.
    EXPECT_EQ(LogLineAt(lines),
              "[ " + std::to_string(lines + 1) + " ] - Message: Never ever ask (very dangerous)");
    EXPECT_EQ(Text(TerminateButton), "Terminate");

    EXPECT_EQ(CloseApp(), 0u);
    const std::map<std::string, std::string> ini = IniValues(ReadFile("Morvane.ini"));
    const std::map<std::string, std::string> expected = {
        {"AskTerminate", "4"},     {"LogInfoStyle", "8"},        {"EnableTaskTerminate", "0"},
        {"EnableTaskFreeze", "1"}, {"EnableDetectOwnTask", "0"}, {"EnableShowInfo", "1"},
        {"EnableSaveInfo", "0"},   {"EnableRestoreWindow", "0"},
    };
    for (const auto& key : expected) {
        const auto found = ini.find(key.first);
        ASSERT_NE(found, ini.end()) << key.first;
        EXPECT_EQ(found->second, key.second) << key.first;
    }
    bool logged = true;
    ReadFile("Morvane.log", &logged);
    EXPECT_FALSE(logged) << "saving the log was switched off";
}

// The window worked with real keystrokes only, with the log list cut off below the window: each
// step leaves the focus where the next key can act, also after a dialog, a return from another
// program and a page opened from a button that hides itself; Tab never stops out of sight; an
// option of a group is chosen with the arrow keys; Enter presses a button as Space does.
TEST_F(PagesTest, TheWindowIsWorkedWithTheKeyboardAloneAndNeverLosesTheFocus) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith("AskTerminate = 1\r\nEnableShowInfo = 0\r\n"));
    auto focused = [&] { return FocusedWindow(window_); };
    auto focusReaches = [&](int id) {
        return WaitUntil([&] { return focused() == Control(id); }, kWaitMs);
    };
    const RECT client = ClientRect(window_);
    // Tab to `id`, each stop on a control the keyboard can use and the user can see.
    auto tabTo = [&](int id) {
        for (int presses = 0; presses < 40; ++presses) {
            if (focused() == Control(id)) return true;
            if (!PressKey(window_, VK_TAB)) return false;
            WaitUntil([&] { return focused() != nullptr; }, kWaitMs);
            HWND at = focused();
            RECT place = {};
            GetWindowRect(at, &place);
            MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
            EXPECT_TRUE(at && IsWindowVisible(at) && IsWindowEnabled(at)) << "stuck on " << at;
            EXPECT_LT(place.top, client.bottom)
                << "control " << GetDlgCtrlID(at) << " is out of sight";
        }
        return focused() == Control(id);
    };
    auto press = [&](int id, WORD key) { return tabTo(id) && PressKey(window_, key); };

    // The task list has the focus from the start, with a focused row: Space checks row 0 alone.
    ASSERT_TRUE(focusReaches(TaskList));
    ASSERT_TRUE(PressKey(window_, VK_SPACE));
    ASSERT_TRUE(WaitUntil([&] { return Dump(TaskList).rows.at(0).checked; }, kWaitMs));
    ListViewDump rows = Dump(TaskList);
    EXPECT_EQ(std::count_if(rows.rows.begin(), rows.rows.end(),
                            [](const ListRow& r) { return r.checked; }),
              1);
    ASSERT_TRUE(PressKey(window_, VK_SPACE));
    ASSERT_TRUE(WaitUntil([&] { return !Dump(TaskList).rows.at(0).checked; }, kWaitMs));

    // Enter on Detect detects.
    const size_t lines = LogLines().size(); // Tab logs nothing
    ASSERT_TRUE(press(DetectButton, VK_RETURN));
    EXPECT_TRUE(StartsWith(LogLineAt(lines), "Detected unnecessary tasks: ")) << LogLineAt(lines);

    // Another program takes the activation and gives it back: the focus is on Detect again.
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, kWaitMs));
    SetForegroundWindow(window_);
    EXPECT_TRUE(focusReaches(DetectButton)) << "focus on " << focused();
    DestroyWindow(other);

    ASSERT_TRUE(press(SetupButton, VK_SPACE));
    ASSERT_TRUE(WaitUntil([&] { return Text(TaskFrame) == "Setup"; }, kWaitMs));
    EXPECT_EQ(focused(), Control(SetupTabs));
    // The tab strip's own arrow keys switch its pages.
    ASSERT_TRUE(PressKey(window_, VK_RIGHT));
    EXPECT_TRUE(WaitShown(CommandField));
    ASSERT_TRUE(PressKey(window_, VK_LEFT));
    ASSERT_TRUE(WaitShown(AskEveryTimeOption));
    ASSERT_TRUE(tabTo(AskEveryTimeOption));
    // Down and Right go to the next option, Up and Left to the one before; past either end of
    // the group the choice comes round to its other end, never into the next group.
    const std::pair<WORD, int> steps[] = {{VK_DOWN, AskCriticalOption},
                                          {VK_RIGHT, AskNeverOption},
                                          {VK_DOWN, AskEveryTimeOption},
                                          {VK_UP, AskNeverOption},
                                          {VK_LEFT, AskCriticalOption}};
    for (const auto& step : steps) { // the key, then the option it checks
        ASSERT_TRUE(PressKey(window_, step.first));
        EXPECT_TRUE(WaitUntil([&] { return Checked(step.second); }, kWaitMs)) << step.first;
        EXPECT_EQ(focused(), Control(step.second)) << step.first;
        EXPECT_TRUE(Checked(StyleNoneOption) && !Checked(StyleNumberOption)) << step.first;
    }

    // The Open dialog of the DLL row's "..." gives the focus back to that button.
    ASSERT_TRUE(press(SetupTabs, VK_RIGHT));
    ASSERT_TRUE(WaitShown(DllBrowseButton));
    // Reached from Preferences, the Tools tab keeps no trace of it: below the rows its frame is
    // of one colour.
    const auto traces = [&] {
        RECT frame = {};
        RECT row = {};
        GetWindowRect(Control(ToolsFrame), &frame);
        GetWindowRect(Control(DllBrowseButton), &row);
        const POINT origin = ClientOrigin(window_);
        Capture shot;
        if (!CaptureClient(window_, &shot)) return -1;
        const int left = frame.left - origin.x + 4, right = frame.right - origin.x - 4;
        const int top = row.bottom - origin.y + 4, bottom = frame.bottom - origin.y - 4;
        int others = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                others += shot.At(x, y) != shot.At(left, top);
        return others;
    };
    EXPECT_TRUE(WaitUntil([&] { return traces() == 0; }, 2000)) << traces() << " pixels differ";
    ASSERT_TRUE(press(DllBrowseButton, VK_SPACE));
    HWND dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_TRUE(dialog && AnswerFileDialog(dialog, SystemFolder() + "version.dll", true));
    EXPECT_TRUE(focusReaches(DllBrowseButton)) << "focus on " << focused();

    // Show hides itself with its tab; the export page that opens has the focus on its list.
    ASSERT_TRUE(press(ShowButton, VK_SPACE));
    ASSERT_TRUE(WaitShown(ExportList));
    EXPECT_TRUE(focusReaches(ExportList)) << "focus on " << focused();
    // The Save dialog gives the focus back to Export.
    ASSERT_TRUE(press(InfoButton, VK_SPACE));
    dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_TRUE(dialog && AnswerFileDialog(dialog, "", false));
    EXPECT_TRUE(focusReaches(InfoButton)) << "focus on " << focused();
    ASSERT_TRUE(press(TerminateButton, VK_SPACE));
    ASSERT_TRUE(WaitShown(SetupTabs));
    EXPECT_TRUE(focusReaches(ShowButton));

    ASSERT_TRUE(press(TerminateButton, VK_SPACE));
    ASSERT_TRUE(WaitShown(TaskList));
    EXPECT_TRUE(focusReaches(SetupButton));

    EXPECT_EQ(CloseApp(), 0u);
    EXPECT_EQ(IniValues(ReadFile("Morvane.ini"))["AskTerminate"], "2");
}

TEST_F(PagesTest, BackWithoutChangesLogsTheMessageAndTheLogCheckBoxSizesTheWindow) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    const auto clientHeight = [&] { return ClientRect(window_).bottom; };
    ASSERT_EQ(clientHeight(), 400);

    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    size_t lines = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    EXPECT_EQ(LogLineAt(lines), "Message: Every time a task will be terminate");
    EXPECT_EQ(clientHeight(), 400);

    // Without the log the window ends below the buttons; the lines are still kept.
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_TRUE(Click(Control(ShowInfoCheck)));
    lines = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    EXPECT_TRUE(WaitUntil([&] { return clientHeight() == 324; })) << clientHeight();
    EXPECT_EQ(ClientRect(window_).right, 410);
    EXPECT_EQ(LogLineAt(lines), "Message: Every time a task will be terminate");
    RECT buttons = {};
    GetWindowRect(Control(TerminateButton), &buttons);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&buttons), 2);
    EXPECT_LE(buttons.bottom, 324) << "the buttons stay in view";

    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    EXPECT_FALSE(Checked(ShowInfoCheck));
    ASSERT_TRUE(Click(Control(ShowInfoCheck)));
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    EXPECT_TRUE(WaitUntil([&] { return clientHeight() == 400; })) << clientHeight();

    EXPECT_EQ(CloseApp(), 0u);
    std::map<std::string, std::string> ini = IniValues(ReadFile("Morvane.ini"));
    EXPECT_EQ(ini["EnableShowInfo"], "1");
    EXPECT_EQ(ini["AskTerminate"], "1");
    EXPECT_EQ(ini["LogInfoStyle"], "32");
}

TEST_F(PagesTest, ClosingOnTheSetupPanelEndsTheRunWithoutApplyingItsChoices) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_TRUE(Click(Control(AskNeverOption)));
    ASSERT_TRUE(Click(Control(SaveInfoCheck)));
    ASSERT_TRUE(WaitUntil([&] { return Checked(AskNeverOption) && !Checked(SaveInfoCheck); }));

    ExpectOrderlyEnd();
    std::map<std::string, std::string> ini = IniValues(ReadFile("Morvane.ini"));
    EXPECT_EQ(ini["AskTerminate"], "1");
    EXPECT_EQ(ini["EnableSaveInfo"], "1");
    EXPECT_TRUE(SameTextIgnoringCase(ini["CurrentDir"], folder_))
        << ini["CurrentDir"] << ": no file was chosen";
}

// Values of every group that Setup offers no choice for, written by hand: a visit left with
// Back changes none of them, and the file comes back byte for byte.
TEST_F(PagesTest, SetupLeftWithBackWritesBackEveryValueAsItWasGiven) {
    const std::string ini = "[Morvane SetUp]\r\nAskTerminate = 3\r\nLogInfoStyle = -1\r\n"
                            "EnableTaskTerminate = 2\r\nEnableTaskFreeze = -7\r\n"
                            "EnableDetectOwnTask = 5\r\nEnableShowInfo = 9\r\n"
                            "EnableSaveInfo = 0\r\nEnableRestoreWindow = 1\r\nWindowX = 150\r\n"
                            "WindowY = 110\r\nCurrentDir = " +
                            folder_ + "\r\n";
    WriteFile("Morvane.ini", ini);
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    for (int id = AskEveryTimeOption; id <= StyleNoneOption; ++id)
        EXPECT_TRUE(id == StyleFrame || !Checked(id)) << id;
    const size_t lines = LogLines().size();
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    EXPECT_EQ(LogLineAt(lines), "Message: ");
    EXPECT_EQ(CloseApp(), 0u);
    EXPECT_EQ(ReadFile("Morvane.ini"), ini);
}

// A DLL of a few hundred bytes claiming 0xFFFFFFFF names shown through Setup's Show: the list
// stops at the 65,536 ordinals and the window keeps answering. A report file that another program
// holds is not logged as saved and keeps its text.
TEST_F(PagesTest, ACraftedDllClaimingEndlessExportsLeavesTheWindowAnswering) {
    const std::vector<uint8_t> crafted = pe_test::EndlessNamesDll();
    WriteFile("crafted.dll", std::string(crafted.begin(), crafted.end()));
    WriteFile("held.txt", "earlier");
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_NO_FATAL_FAILURE(ChooseDll(PathOf("crafted.dll")));
    const size_t lines = LogLines().size();
    const DWORD start = GetTickCount();
    ASSERT_TRUE(PostClick(Control(ShowButton)));
    ASSERT_TRUE(WaitUntil([&] { return Text(TaskFrame) == "crafted.dll [ 65536 ]"; }, 5000) &&
                Sync(window_));
    std::printf("the window answered %lu ms after Show\n", GetTickCount() - start);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(LogLineAt(lines), "Traced functions of crafted.dll: 65536");

    Handle held(CreateFileA(PathOf("held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held && PostClick(Control(InfoButton)));
    HWND dialog = WaitDialog(app_.Id(), kWaitMs);
    ASSERT_TRUE(dialog && AnswerFileDialog(dialog, PathOf("held.txt"), true));
    EXPECT_EQ(LogLineAt(lines + 1), "Can't save: held.txt");
    held.Reset();
    EXPECT_EQ(ReadFile("held.txt"), "earlier");
    ExpectOrderlyEnd();
}

// Timing for the record (run with --gtest_also_run_disabled_tests): kernel32's export page read
// from outside, row by row, the way accessibility tools read lists.
TEST_F(PagesTest, DISABLED_ExportPageReadFromOutside) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_NO_FATAL_FAILURE(ChooseDll(SystemFolder() + "kernel32.dll"));
    ASSERT_TRUE(Click(Control(ShowButton)));
    ASSERT_TRUE(WaitUntil([&] { return CaptionCount(Text(TaskFrame), "kernel32.dll") > 0; }));
    const DWORD start = GetTickCount();
    const size_t rows = Dump(ExportList).rows.size();
    std::printf("%zu export rows read from outside in %lu ms\n", rows, GetTickCount() - start);
}

// A copy of the DLL loader holding `count` copies of a tiny DLL, started before Morvane so that
// its first refresh sees them all.
struct ManyDllTask {
    testsupport::TempFolder temp;
    testsupport::ChildProcesses children; // ends the loader before its folder goes
    testsupport::Child loader;
    int modules = 0; // as a module snapshot counts them

    bool Start(int count) {
        const std::string dlls = temp.Path() + "\\dlls";
        if (temp.Path().empty() || !CreateDirectoryA(dlls.c_str(), nullptr)) return false;
        for (int i = 0; i < count; ++i)
            if (!testsupport::WriteMinimalDll(dlls + "\\m" + std::to_string(i) + ".dll", i))
                return false;
        loader = children.Start(temp.CopyHelper("dll_loader.exe", "mvmods.exe"),
                                "--folder \"" + dlls + "\"");
        const std::string done = dlls + "\\loaded.txt";
        if (loader.id == 0 ||
            !WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; },
                       180000, 50))
            return false;
        modules = testsupport::ModuleSnapshotCount(loader.id);
        return modules > count;
    }
};

int ItemCount(HWND list) {
    DWORD_PTR count = 0;
    if (!list ||
        !SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kMessageTimeoutMs, &count))
        return 0;
    return static_cast<int>(count);
}

TEST_F(PagesTest, ATaskWith1100DllsListsEveryOneWhileTheWindowAnswers) {
    ManyDllTask task;
    ASSERT_TRUE(task.Start(1100)) << "the loader did not take its DLLs";
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    const int listedWanted = task.modules - 1;
    const ListViewDump tasks = Dump(TaskList);
    const int row = RowNamed(tasks, 0, "mvmods.exe");
    ASSERT_GE(row, 0);
    EXPECT_EQ(tasks.rows[static_cast<size_t>(row)].cells[6], std::to_string(listedWanted))
        << "the DLL's cell counts every module";

    ASSERT_TRUE(SetRowSelected(Control(TaskList), row, true));
    const size_t before = LogLines().size();
    ASSERT_TRUE(PostClick(Control(InfoButton)));
    // The window answers at every look until the page holds every module.
    int listed = 0;
    for (const DWORD start = GetTickCount(); listed < listedWanted;) {
        ASSERT_TRUE(Sync(window_)) << "no answer with " << listed << " rows listed";
        ASSERT_LT(GetTickCount() - start, 120000u) << listed << " rows listed";
        listed = ItemCount(Control(ModuleList));
    }
    ASSERT_TRUE(Sync(window_));

    EXPECT_EQ(CaptionCount(Text(TaskFrame), "mvmods.exe"), listedWanted);
    EXPECT_EQ(LogLineAt(before), "Traced dll's of mvmods.exe: " + std::to_string(listedWanted));
    const ListViewDump modules = Dump(ModuleList);
    ASSERT_EQ(modules.rows.size(), static_cast<size_t>(listedWanted));
    std::map<std::string, int> ours;
    for (const ListRow& r : modules.rows)
        if (StartsWith(r.cells[1], "m") && EndsWithNoCase(r.cells[3], "\\dlls\\" + r.cells[1]))
            ++ours[r.cells[1]];
    EXPECT_EQ(ours.size(), 1100u) << "every copy of the DLL, each once";
    EXPECT_EQ(ours.count("m0.dll") + ours.count("m1099.dll"), 2u);
    EXPECT_EQ(modules.rows[0].cells[0], "  1");
    EXPECT_EQ(modules.rows[999].cells[0], "100") << "numbers of four digits keep three";
    EXPECT_EQ(modules.rows[1099].cells[0], "110");

    ASSERT_TRUE(Click(Control(TerminateButton)));
    ASSERT_TRUE(WaitShown(TaskList));
}

// The task page's controls, the lists that take the task list's place (the module list 2 pixels
// shorter) and the Setup page's controls in the tab control's page area lie where they lie at
// 96 DPI, times `factor`: every edge within `slack` pixels.
void ExpectLaidOutAt(HWND window, double factor, int slack) {
    RECT page = {};
    ASSERT_TRUE(TabPageArea(ControlHandle(window, SetupTabs), &page));
    const auto expectAt = [&](int id, int x, int y, int width, int height, LONG left, LONG top) {
        ControlInfo c;
        EXPECT_TRUE(GetControl(window, id, &c)) << id;
        const double want[] = {left + x * factor, top + y * factor, left + (x + width) * factor,
                               top + (y + height) * factor};
        const LONG got[] = {c.rect.left, c.rect.top, c.rect.right, c.rect.bottom};
        for (int i = 0; i < 4; ++i)
            EXPECT_LE(std::fabs(got[i] - want[i]), slack + 0.5)
                << "control " << id << ", edge " << i;
    };
    for (const places::TaskPageControl& c : places::kTaskPage) {
        expectAt(c.id, c.x, c.y, c.w, c.h, 0, 0);
        if (c.id == TaskList) expectAt(SetupTabs, c.x, c.y, c.w, c.h, 0, 0);
        if (c.id == TaskList && ControlHandle(window, ModuleList))
            expectAt(ModuleList, c.x, c.y, c.w, c.h - 2, 0, 0);
    }
    for (const places::PageControl& c : places::kSetupPage)
        expectAt(c.id, c.x, c.y, c.width, c.height, page.left, page.top);
}

// Moved to a monitor of 192 DPI, as the system tells it: the window takes the rectangle offered,
// every control, those of the hidden task and module pages too, lies at twice its place, the
// columns are twice as wide, and the log check box still sizes the window by the same rule.
TEST_F(PagesTest, AMoveToA192DpiMonitorLaysEveryControlOutAtTwiceItsSize) {
    ASSERT_NO_FATAL_FAILURE(LaunchWithInfoTask());
    OpenModulePage(kInfoTask);
    ASSERT_TRUE(Click(Control(TerminateButton)) && WaitShown(TaskList));
    // First the message as another program may send it, with no rectangle to read behind its
    // pointer: nothing changes, and the next resize keeps the size of 100 %.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window_, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), 1,
                                    SMTO_NORMAL, kMessageTimeoutMs, &answer));
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    EXPECT_EQ(ClientRect(window_).right, 410);
    EXPECT_EQ(ClientRect(window_).bottom, 400);
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_TRUE(Click(Control(ShowInfoCheck)));
    RECT outer = {};
    ASSERT_TRUE(GetWindowRect(window_, &outer));
    const RECT offered = {outer.left + 8, outer.top + 6, outer.right + 418, outer.bottom + 406};
    ASSERT_TRUE(SendDpiChanged(window_, 192, offered));
    RECT now = {};
    EXPECT_TRUE(GetWindowRect(window_, &now) && now.left == offered.left && now.top == offered.top);
    EXPECT_EQ(ClientRect(window_).right, 820);
    EXPECT_EQ(ClientRect(window_).bottom, 800);
    ExpectLaidOutAt(window_, 2.0, 0);
    EXPECT_EQ(Dump(ModuleList).columns.at(3).width, 2 * (374 - 21));
    ASSERT_NO_FATAL_FAILURE(LeaveSetup());
    EXPECT_TRUE(WaitUntil([&] { return ClientRect(window_).bottom == 648; }));
}

// What a screen reader asks from its own process: each control's accessible object through
// AccessibleObjectFromWindow, and its name. The fields and the "..." buttons keep their texts.
TEST_F(PagesTest, ScreenReadersReadANameForEachFieldBrowseButtonAndList) {
    ASSERT_NO_FATAL_FAILURE(LaunchWithInfoTask());
    OpenModulePage(kInfoTask);
    ASSERT_TRUE(Click(Control(TerminateButton)) && WaitShown(TaskList));
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ASSERT_NO_FATAL_FAILURE(ChooseDll(SystemFolder() + "version.dll"));
    ASSERT_TRUE(Click(Control(ShowButton)) && WaitShown(ExportList));
    ASSERT_TRUE(Click(Control(TerminateButton)) && WaitShown(SetupTabs));

    // IAccessible by value: MinGW's import library resolves IID_IAccessible to a thunk.
    const IID accessible = {
        0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::pair<int, const wchar_t*> names[] = {
        {CommandField, L"Program to start"},
        {CommandBrowseButton, L"Browse for a program"},
        {DllField, L"DLL to show"},
        {DllBrowseButton, L"Browse for a DLL"},
        {TaskList, L"Tasks"},
        {LogList, L"Log"},
        {ModuleList, L"DLLs of the task"},
        {ExportList, L"Functions of the DLL"},
    };
    for (const auto& [id, text] : names) {
        IAccessible* object = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(Control(id), OBJID_CLIENT, accessible,
                                             reinterpret_cast<void**>(&object)),
                  S_OK)
            << id;
        VARIANT self = {};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        EXPECT_EQ(object->get_accName(self, &name), S_OK) << id;
        EXPECT_EQ(std::wstring(name ? name : L"(none)"), text) << id;
        SysFreeString(name);
        object->Release();
    }
    CoUninitialize();
    EXPECT_EQ(Text(DllBrowseButton), "...");
    EXPECT_EQ(Text(CommandField), "Create a new task");
}

// Run on a display of 144 DPI (150 %): the prefix build/wineprefix-144.
using HighDpiTest = PagesTest;

// The window and every control are half again as large as at 100 %. (Whether their captions fit
// is measured in the window-side tests, in each control's own font, which only its process can
// read.)
TEST_F(HighDpiTest, EverythingIsHalfAgainAsLarge) {
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    EXPECT_EQ(ClientRect(window_).right, 615);
    EXPECT_EQ(ClientRect(window_).bottom, 600);
    ASSERT_NO_FATAL_FAILURE(OpenSetup());
    ExpectLaidOutAt(window_, 1.5, 1);
}

// Benchmark, run by hand:
//   e2e_tests.exe --gtest_also_run_disabled_tests --gtest_filter=*ModulePageOf1100Dlls*
// Time from the Info click to the module page's last row, three visits.
TEST_F(PagesTest, DISABLED_ModulePageOf1100DllsFromInfoToTheLastRow) {
    ManyDllTask task;
    ASSERT_TRUE(task.Start(1100));
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    const int row = RowNamed(Dump(TaskList), 0, "mvmods.exe");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(SetRowSelected(Control(TaskList), row, true));
    for (int visit = 0; visit < 3; ++visit) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        ASSERT_TRUE(PostClick(Control(InfoButton)));
        while (ItemCount(Control(ModuleList)) < task.modules - 1)
            Sleep(5);
        QueryPerformanceCounter(&end);
        std::printf("module page of %d DLLs: %.0f ms from Info to the last row\n", task.modules - 1,
                    1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
        std::fflush(stdout);
        ASSERT_TRUE(Click(Control(TerminateButton)));
        ASSERT_TRUE(WaitShown(TaskList));
    }
}

} // namespace

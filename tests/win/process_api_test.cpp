// The process layer against real processes: helper programs are copied under chosen names
// into a private temp folder, started, read and ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "proc/frozen_threads_win.h"
#include "proc/name_fold.h"
#include "proc/process_api.h"
#include "proc/system_services_win.h"
#include "win/test_support.h"

using namespace testsupport;

namespace {

class ProcessApiTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp.Path().empty());
        BindSystemServices();
    }
    void TearDown() override {
        children.KillAll();
        ReleaseSystemServices();
    }

    // Starts a copy of a helper under `name`; fails the test when it does not come up.
    Child StartCopy(const std::string& helper, const std::string& name,
                    const std::string& arguments = std::string()) {
        std::string path = temp.CopyHelper(helper, name);
        EXPECT_FALSE(path.empty()) << "copy of " << helper << " as " << name;
        Child child = children.Start(path, arguments);
        EXPECT_NE(child.id, 0u) << "start of " << name;
        return child;
    }
    // Starts `copies` processes of one copy of a helper (a running program cannot be copied
    // over, so they share the file).
    std::vector<Child> StartCopies(const std::string& helper, const std::string& name, int copies) {
        std::vector<Child> started;
        const std::string path = temp.CopyHelper(helper, name);
        EXPECT_FALSE(path.empty()) << "copy of " << helper << " as " << name;
        for (int i = 0; i < copies; ++i) {
            started.push_back(children.Start(path));
            EXPECT_NE(started.back().id, 0u) << "start of " << name;
        }
        return started;
    }
    std::string PathOf(const std::string& name) const { return temp.Path() + "\\" + name; }

    // Members are destroyed in reverse: the children end before their folder is removed.
    TempFolder temp;
    ChildProcesses children;
};

std::vector<std::string> ModuleNamesOf(ProcessId id) {
    std::vector<std::string> names;
    for (const ModuleInfo& m : ExamineModules(id))
        names.push_back(AsciiLower(Utf8(m.name)));
    return names;
}

const ProcessListEntry* EntryOf(const std::vector<ProcessListEntry>& reading, DWORD id) {
    for (const ProcessListEntry& e : reading)
        if (e.id == id) return &e;
    return nullptr;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

DWORD WINAPI WaitForRelease(LPVOID event) {
    return WaitForSingleObject(static_cast<HANDLE>(event), 10000);
}

// Stand-ins for the 32-bit system folder: none, and one longer than a path buffer.
UINT WINAPI NoWow64Folder(LPWSTR, UINT) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
}
const std::wstring kLongFolder = L"D:\\" + std::wstring(300, L'w');
UINT WINAPI LongWow64Folder(LPWSTR buffer, UINT size) {
    if (size <= kLongFolder.size()) return static_cast<UINT>(kLongFolder.size() + 1);
    std::memcpy(buffer, kLongFolder.c_str(), (kLongFolder.size() + 1) * sizeof(wchar_t));
    return static_cast<UINT>(kLongFolder.size());
}

// Stands in for EnumProcessModulesEx: notes the filter and lists the executable twice (as both
// layers of a 32-bit process know it) and then the process's second module.
DWORD g_ModuleFilter = ~0u;
BOOL WINAPI ListBothLayers(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* needed,
                           DWORD filter) {
    g_ModuleFilter = filter;
    HMODULE two[2] = {};
    if (bytes < 3 * sizeof(HMODULE) || !EnumProcessModules(process, two, sizeof(two), needed))
        return FALSE;
    modules[0] = modules[1] = two[0];
    modules[2] = two[1];
    *needed = 3 * sizeof(HMODULE);
    return TRUE;
}
// Notes each library the binding loads.
std::vector<std::wstring> g_Loaded;
HMODULE WINAPI NoteLoad(LPCWSTR path) {
    g_Loaded.push_back(path);
    return LoadLibraryW(path);
}
// The system's owner of a thread, but process 4 for one of them: a thread id that has passed to
// another process. Through GetProcessIdOfThread, and through ntdll's thread query, whose record
// holds the process id after the exit status and the environment block's address.
DWORD g_Disowned = 0;
proc::GetProcessIdOfThreadFn g_RealOwner = nullptr;
proc::NtQueryInformationThreadFn g_RealQuery = nullptr;
DWORD WINAPI OwnerButOne(HANDLE thread) {
    return GetThreadId(thread) == g_Disowned ? 4 : g_RealOwner(thread);
}
LONG WINAPI QueryButOne(HANDLE thread, int kind, void* info, ULONG size, ULONG* written) {
    const LONG status = g_RealQuery(thread, kind, info, size, written);
    if (GetThreadId(thread) == g_Disowned)
        *reinterpret_cast<ULONG_PTR*>(static_cast<char*>(info) + 2 * sizeof(void*)) = 4;
    return status;
}
DWORD g_ModuleSnapshotFlags = 0;
HANDLE WINAPI NoteModuleSnapshot(DWORD flags, DWORD id) {
    if (flags & TH32CS_SNAPMODULE) g_ModuleSnapshotFlags = flags;
    return CreateToolhelp32Snapshot(flags, id);
}
// A process list of the test's choosing, in place of the system's.
std::vector<std::pair<DWORD, std::wstring>> g_Listed;
size_t g_NextListed = 0;
BOOL WINAPI NextOfTheList(HANDLE, PROCESSENTRY32W* entry) {
    if (g_NextListed >= g_Listed.size()) return FALSE;
    entry->th32ProcessID = g_Listed[g_NextListed].first;
    lstrcpynW(entry->szExeFile, g_Listed[g_NextListed++].second.c_str(), MAX_PATH);
    return TRUE;
}
BOOL WINAPI FirstOfTheList(HANDLE snapshot, PROCESSENTRY32W* entry) {
    g_NextListed = 0;
    return NextOfTheList(snapshot, entry);
}

} // namespace

TEST_F(ProcessApiTest, SystemFoldersComeFromTheSystem) {
    wchar_t buffer[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(buffer, MAX_PATH), 0u);
    const std::wstring system = buffer;
    ASSERT_GT(GetSystemWindowsDirectoryW(buffer, MAX_PATH), 0u);
    const std::wstring apps = std::wstring(buffer) + L"\\SystemApps\\";
    EXPECT_NE(proc::g_Services.getSystemWow64Directory, nullptr) << "bound from kernel32";

    proc::g_Services.getSystemWow64Directory = NoWow64Folder;
    EXPECT_EQ(ReadSystemFolders(), (std::vector<std::wstring>{system, apps}));
    proc::g_Services.getSystemWow64Directory = LongWow64Folder;
    EXPECT_EQ(ReadSystemFolders(), (std::vector<std::wstring>{system, kLongFolder, apps}));

    // Its libraries by their full path there, never by a name the loader would look for beside
    // the program first.
    ReleaseSystemServices();
    g_Loaded.clear();
    proc::g_Services.loadLibrary = NoteLoad;
    BindSystemServices();
    EXPECT_EQ(g_Loaded,
              (std::vector<std::wstring>{system + L"\\psapi.dll", system + L"\\kernel32.dll"}));
}

TEST_F(ProcessApiTest, ModulesOfBothLayersWhereTheListingOffersThem) {
    Child child = StartCopy("sleeper.exe", "both_layers.exe");
    EXPECT_NE(proc::g_Services.enumProcessModulesEx, nullptr) << "bound from psapi";
    proc::g_Services.enumProcessModulesEx = ListBothLayers;
    proc::g_Services.createSnapshot = NoteModuleSnapshot;

    const std::vector<ModuleInfo> modules = ExamineModules(child.id);
    ASSERT_EQ(modules.size(), 2u) << "the executable once, then the second module";
    EXPECT_EQ(g_ModuleFilter, static_cast<DWORD>(LIST_MODULES_ALL));
    EXPECT_EQ(modules[0].base, ImageBaseOf(child.process));
    EXPECT_EQ(modules[0].name, L"both_layers.exe");
    EXPECT_EQ(AsciiLower(Utf8(modules[1].name)), "ntdll.dll");
    // Names are matched by load address, so the snapshot must hold the 32-bit modules too.
#if defined(_WIN64)
    EXPECT_EQ(g_ModuleSnapshotFlags, static_cast<DWORD>(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32));
#else
    EXPECT_EQ(g_ModuleSnapshotFlags, static_cast<DWORD>(TH32CS_SNAPMODULE));
#endif

    proc::g_Services.enumProcessModulesEx = nullptr;
    EXPECT_EQ(static_cast<int>(ExamineModules(child.id).size()), ModuleSnapshotCount(child.id))
        << "the plain listing";
}

// Every row of a name shows the first process of it in the system's order, wherever its file
// lies and however its name is written.
TEST_F(ProcessApiTest, TheReadingTakesTheFirstProcessOfEachNameIgnoringCaseAndFolder) {
    std::vector<DWORD> copies;
    for (const Child& c : StartCopies("sleeper.exe", "lowfind.exe", 3))
        copies.push_back(c.id);
    const std::string other = temp.Path() + "\\sub";
    CreateDirectoryA(other.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileA(HelperPath("sleeper.exe").c_str(), (other + "\\LOWFIND.EXE").c_str(), FALSE));
    copies.push_back(children.Start(other + "\\LOWFIND.EXE").id);

    const std::vector<ProcessListEntry> reading = ExamineProcesses();
    DWORD first = 0;
    for (const ProcessListEntry& e : reading)
        if (std::find(copies.begin(), copies.end(), e.id) != copies.end()) {
            first = e.id;
            break;
        }
    ASSERT_NE(first, 0u);
    for (DWORD id : copies) {
        const ProcessListEntry* e = EntryOf(reading, id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_EQ(e->firstOfName, first) << Utf8(e->systemName);
        EXPECT_EQ(e->details.fileName.empty(), id != first) << "read for the first one only";
    }
}

// What the reading shows of a running helper, of an id whose process has gone and of the idle
// pseudo-process, from a process list of the test's making.
TEST_F(ProcessApiTest, TheReadingShowsEachProcessAsItCanBeRead) {
    Child child = StartCopy("sleeper.exe", "props_helper.exe");
    Child ended = StartCopy("sleeper.exe", "props_ended.exe");
    ASSERT_EQ(children.EndAndRelease(ended, 0), 0u);
    ASSERT_TRUE(SetPriorityClass(child.process, IDLE_PRIORITY_CLASS));
    g_Listed = {{child.id, L"props_helper.exe"}, {ended.id, L"props_ended.exe"}, {0, L"[idle]"}};
    proc::g_Services.process32First = FirstOfTheList; // until TearDown releases the binding
    proc::g_Services.process32Next = NextOfTheList;

    std::vector<ProcessListEntry> reading = ExamineProcesses();
    ASSERT_EQ(reading.size(), 3u);
    const ProcessDetails& d = reading[0].details;
    EXPECT_EQ(reading[0].firstOfName, child.id);
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(d.fileName), PathOf("props_helper.exe")))
        << Utf8(d.fileName);
    EXPECT_EQ(d.priority, static_cast<int32_t>(IDLE_PRIORITY_CLASS))
        << "the class as the system gives it";
    EXPECT_GT(d.memory, 64u * 1024u) << "a working set of at least the image";
    EXPECT_EQ(d.rights, 1) << "a process of the same user opens fully";
    EXPECT_EQ(d.moduleCount, ModuleSnapshotCount(child.id));
    EXPECT_EQ(d.base, ImageBaseOf(child.process));
    // Gone: its listed name, and nothing that needs an open.
    EXPECT_EQ(DisplayName(reading[1]), L"props_ended.exe");
    EXPECT_EQ(reading[1].firstOfName, ended.id);
    const ProcessDetails& gone = reading[1].details;
    EXPECT_EQ(std::make_tuple(gone.fileName, gone.priority, gone.memory, gone.rights,
                              gone.moduleCount, gone.base),
              std::make_tuple(std::wstring(), 0, uint64_t(0), 0, 0, ModuleHandle(0)));
    EXPECT_EQ(DisplayName(reading[2]), L"IDLE");
    EXPECT_EQ(reading[2].systemName, L"") << "the idle pseudo-process matches nothing";
    EXPECT_EQ(reading[2].firstOfName, 0u);
    EXPECT_EQ(reading[2].details.rights, 0);

    // Where the main module's path cannot be read, the image path stands in.
    proc::g_Services.getModuleFileNameEx = nullptr;
    reading = ExamineProcesses();
    EXPECT_TRUE(
        SameTextIgnoringCase(Utf8(reading.at(0).details.fileName), PathOf("props_helper.exe")));
}

TEST_F(ProcessApiTest, ModuleReadingStartsAtTheImageAndMatchesASnapshot) {
    Child child = StartCopy("sleeper.exe", "mods_helper.exe");
    const std::vector<ModuleInfo> modules = ExamineModules(child.id);
    ASSERT_GT(modules.size(), 1u);
    EXPECT_EQ(static_cast<int>(modules.size()), ModuleSnapshotCount(child.id));
    EXPECT_EQ(modules[0].base, ImageBaseOf(child.process));
    EXPECT_EQ(modules[0].name, L"mods_helper.exe");
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(modules[0].path), PathOf("mods_helper.exe")));

    // A process that cannot be opened has none.
    Child ended = StartCopy("sleeper.exe", "mods_ended.exe");
    ASSERT_EQ(children.EndAndRelease(ended, 0), 0u);
    EXPECT_TRUE(ExamineModules(ended.id).empty());
}

TEST_F(ProcessApiTest, ModuleReadingShowsLoadedDlls) {
    Child plain = StartCopy("sleeper.exe", "dll_plain.exe");
    Child loader = StartCopy("dll_loader.exe", "dll_user.exe");
    const char* wanted[] = {"comdlg32.dll", "shell32.dll", "version.dll"};
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<std::string> names = ModuleNamesOf(loader.id);
        return std::all_of(std::begin(wanted), std::end(wanted),
                           [&](const char* dll) { return Contains(names, dll); });
    })) << "the loader's DLLs never showed up";
    EXPECT_FALSE(Contains(ModuleNamesOf(plain.id), "comdlg32.dll"));

    // The loader's DLLs may still pull in their own dependencies for a moment after the three
    // show up; once it settles, both views of its modules agree.
    std::vector<ModuleInfo> modules;
    EXPECT_TRUE(WaitUntil([&] {
        modules = ExamineModules(loader.id);
        return static_cast<int>(modules.size()) == ModuleSnapshotCount(loader.id);
    })) << modules.size()
        << " modules read, " << ModuleSnapshotCount(loader.id) << " in a snapshot";
    int pathsFound = 0;
    for (const ModuleInfo& m : modules) {
        const std::string path = AsciiLower(Utf8(m.path));
        for (const char* dll : wanted)
            if (EndsWith(path, std::string("\\") + dll)) ++pathsFound;
    }
    EXPECT_EQ(pathsFound, 3);
}

TEST_F(ProcessApiTest, ModuleReadingListsEveryModuleOfAProcessWithMoreThan1024) {
    const std::string dlls = temp.Path() + "\\dlls";
    ASSERT_TRUE(CreateDirectoryA(dlls.c_str(), nullptr));
    // With the executable and the system's own DLLs the process holds more than 1024.
    const int extra = 1024;
    for (int i = 0; i < extra; ++i)
        ASSERT_TRUE(WriteMinimalDll(dlls + "\\m" + std::to_string(i) + ".dll", i));
    Child loader = StartCopy("dll_loader.exe", "many_mods.exe", "--folder \"" + dlls + "\"");
    const std::string done = dlls + "\\loaded.txt";
    ASSERT_TRUE(WaitUntil(
        [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000, 50));
    ASSERT_GT(ModuleSnapshotCount(loader.id), 1024);

    const std::vector<ModuleInfo> modules = ExamineModules(loader.id);
    ASSERT_EQ(static_cast<int>(modules.size()), ModuleSnapshotCount(loader.id));
    int ours = 0;
    for (const ModuleInfo& m : modules) {
        const std::string name = Utf8(m.name);
        ASSERT_FALSE(name.empty()) << "module at " << m.base;
        if (name.size() > 5 && name[0] == 'm' && EndsWith(name, ".dll") &&
            name.find_first_not_of("0123456789", 1) == name.size() - 4)
            ++ours;
    }
    EXPECT_EQ(ours, extra) << "every DLL of the folder, the last ones included";
    EXPECT_NE(modules.back().base, 0u);
    EXPECT_FALSE(modules.back().path.empty());
}

// The same name in capitals, and with an accented capital (0xC9 in the Western code page) for
// the small letter of the file (0xE9).
TEST_F(ProcessApiTest, TerminateByNameEndsEveryCopyAndNothingElse) {
    ASSERT_EQ(GetACP(), 1252u) << "needs the Western code page";
    const struct {
        const char* file;
        const wchar_t* asked;
    } cases[] = {{"victim_lower.exe", L"victim_lower.exe"},
                 {"victim_upper.exe", L"VICTIM_UPPER.EXE"},
                 {"caf\xE9_victim.exe", L"CAF\xC9_VICTIM.EXE"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<Child> victims = StartCopies("sleeper.exe", c.file, 3);
        Child bystander = StartCopy("sleeper.exe", "bystander.exe");
        ProcessWatch watch;
        ASSERT_GT(watch.Size(), 4u);

        EXPECT_EQ(TerminateByName(c.asked, 77), 3);

        for (const Child& v : victims)
            EXPECT_EQ(WaitForExit(v.process), 77u);
        EXPECT_TRUE(NoneEndsWithin({bystander.process}));
        std::vector<DWORD> victimIds;
        for (const Child& v : victims)
            victimIds.push_back(v.id);
        std::sort(victimIds.begin(), victimIds.end());
        const std::vector<DWORD> ended = watch.EndedWithCode(77);
        EXPECT_EQ(ended, victimIds) << "ended: " << watch.Describe(ended);
        children.KillAll();
    }
}

// Only the whole name matches; the idle row's name and the blanks of an unreadable one match
// nothing.
TEST_F(ProcessApiTest, TerminateByNameWithoutAMatchChangesNothing) {
    Child helper = StartCopy("sleeper.exe", "untouched.exe");
    ProcessWatch watch;
    ASSERT_GT(watch.Size(), 1u);
    for (const std::wstring& name :
         {std::wstring(L"no-such-task.exe"), std::wstring(L"untouched"), std::wstring(),
          std::wstring(L"IDLE"), std::wstring(255, L' ')})
        EXPECT_EQ(TerminateByName(name, 4242), 0) << Utf8(name);
    EXPECT_TRUE(NoneEndsWithin({helper.process}));
    const std::vector<DWORD> ended = watch.EndedWithCode(4242);
    EXPECT_TRUE(ended.empty()) << watch.Describe(ended);
}

TEST_F(ProcessApiTest, OwnProcessIsNeverEndedOrFrozen) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string ownName = path;
    ownName = ownName.substr(ownName.rfind('\\') + 1);
    EXPECT_EQ(AsciiLower(Utf8(OwnProgramName())), "win_tests");

    // Another process of the same name still ends.
    Child twin = StartCopy("sleeper.exe", AsciiLower(ownName));
    TerminateByName(FromUtf8(AsciiUpper(ownName)), 5);
    EXPECT_EQ(WaitForExit(twin.process), 5u);
    // Had it ended this process too, the run would stop here, short of the summary that the test
    // script requires.

    // A worker of our own process keeps running through a freeze of our own id.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    DWORD workerId = 0;
    HANDLE worker = CreateThread(nullptr, 0, WaitForRelease, release, 0, &workerId);
    ASSERT_NE(worker, nullptr);
    FrozenThreads frozen;
    EXPECT_EQ(FreezeProcess(GetCurrentProcessId(), FromUtf8(ownName), &frozen), 0);
    EXPECT_EQ(SuspendCountOf(workerId), 0);
    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
    DWORD workerResult = 1;
    GetExitCodeThread(worker, &workerResult);
    EXPECT_EQ(workerResult, WAIT_OBJECT_0);
    CloseHandle(worker);
    CloseHandle(release);
}

TEST_F(ProcessApiTest, FreezeProcessSuspendsEachThreadOncePerCall) {
    Child target = StartCopy("many_threads.exe", "freeze_me.exe", "3");
    Child other = StartCopy("many_threads.exe", "freeze_not.exe", "2");
    // Ready once every thread has started.
    const std::vector<DWORD> threads = ThreadIdsOf(target.id);
    const std::vector<DWORD> otherThreads = ThreadIdsOf(other.id);
    ASSERT_GE(threads.size(), 4u);
    ASSERT_GE(otherThreads.size(), 3u);
    for (DWORD t : threads)
        ASSERT_EQ(SuspendCountOf(t), 0) << "thread " << t;

    // Each holder keeps its freeze until the end of the test.
    FrozenThreads frozen[6];
    EXPECT_EQ(FreezeProcess(target.id, L"freeze_me.exe", &frozen[0]),
              static_cast<int>(threads.size()));
    for (DWORD t : threads)
        EXPECT_EQ(SuspendCountOf(t), 1) << "thread " << t;
    FreezeProcess(target.id, L"FREEZE_ME.EXE", &frozen[1]);
    for (DWORD t : threads)
        EXPECT_EQ(SuspendCountOf(t), 2) << "thread " << t;
    for (DWORD t : otherThreads)
        EXPECT_EQ(SuspendCountOf(t), 0) << "other process's thread " << t;
    EXPECT_EQ(FreezeProcess(other.id, L"freeze_me.exe", &frozen[2]), 0) << "another program";

    // A thread is frozen only while the system tells that it belongs to the process: through
    // GetProcessIdOfThread, else through ntdll's thread query; with neither, none is.
    g_Disowned = threads[0];
    g_RealOwner = proc::g_Services.getProcessIdOfThread;
    g_RealQuery = proc::g_Services.ntQueryInformationThread;
    ASSERT_TRUE(g_RealOwner && g_RealQuery);
    const struct {
        proc::GetProcessIdOfThreadFn owner;
        proc::NtQueryInformationThreadFn query;
        int count; // of each of the other threads after the freeze
    } routes[] = {{OwnerButOne, g_RealQuery, 3}, {nullptr, QueryButOne, 4}, {nullptr, nullptr, 4}};
    for (size_t r = 0; r < 3; ++r) {
        proc::g_Services.getProcessIdOfThread = routes[r].owner;
        proc::g_Services.ntQueryInformationThread = routes[r].query;
        FreezeProcess(target.id, L"freeze_me.exe", &frozen[3 + r]);
        EXPECT_EQ(SuspendCountOf(threads[0]), 2) << "the thread of another process";
        for (size_t i = 1; i < threads.size(); ++i)
            EXPECT_EQ(SuspendCountOf(threads[i]), routes[r].count) << "thread " << threads[i];
    }
    proc::g_Services.getProcessIdOfThread = g_RealOwner;
    proc::g_Services.ntQueryInformationThread = g_RealQuery;

    // A frozen process can still be ended by name.
    TerminateByName(L"freeze_me.exe", 9);
    EXPECT_EQ(WaitForExit(target.process), 9u);
    // A freeze of the id that is gone finds no thread of it and touches no other.
    FrozenThreads late;
    EXPECT_EQ(FreezeProcess(target.id, L"freeze_me.exe", &late), 0);
    for (DWORD t : otherThreads)
        EXPECT_EQ(SuspendCountOf(t), 0) << "other process's thread " << t;
    EXPECT_TRUE(NoneEndsWithin({other.process}));
}

TEST_F(ProcessApiTest, RepeatedPrivilegeRequestsLeaveNoHandleOpen) {
    // Wine cannot count a process's handles; the values that new handles get show a leak.
    EnablePrivilege("SeDebugPrivilege"); // anything loaded on first use is loaded now
    const std::vector<uintptr_t> slotsBefore = NextHandleValues();
    for (int i = 0; i < 1000; ++i) {
        EnablePrivilege("SeDebugPrivilege");
        EnablePrivilege("SeIncreaseBasePriorityPrivilege");
        EnablePrivilege("NoSuchPrivilegeName");
    }
    EXPECT_EQ(NextHandleValues(), slotsBefore);

    // The reads and control operations close what they open too.
    Child child = StartCopy("sleeper.exe", "handles.exe");
    const std::vector<uintptr_t> slotsWithChild = NextHandleValues();
    for (int i = 0; i < 50; ++i) {
        ExamineProcesses();
        ExamineModules(child.id, L"handles.exe");
        FrozenThreads frozen;
        FreezeProcess(child.id, L"handles.exe", &frozen);
        frozen.Resume();
        TerminateByName(L"no-such-task.exe", 0);
    }
    EXPECT_EQ(NextHandleValues(), slotsWithChild);
}

TEST_F(ProcessApiTest, WithoutPsapiEveryReadingIsEmptyAndNothingIsEnded) {
    Child helper = StartCopy("sleeper.exe", "no_psapi.exe");
    ReleaseSystemServices();
    BindSystemServicesFrom("morvane-missing-psapi.dll", "kernel32.dll");

    EXPECT_TRUE(ExamineProcesses().empty());
    EXPECT_TRUE(ExamineModules(helper.id).empty());
    EXPECT_EQ(TerminateByName(L"no_psapi.exe", 1), 0);
    EXPECT_TRUE(NoneEndsWithin({helper.process}));

    ReleaseSystemServices();
    BindSystemServices();
    EXPECT_NE(EntryOf(ExamineProcesses(), helper.id), nullptr) << "a fresh binding reads again";
}

// Without the snapshot functions nothing is frozen, and the process list comes from the ids, the
// names read from each process.
TEST_F(ProcessApiTest, WithoutSnapshotFunctionsFreezeDoesNothingAndTheIdsAreRead) {
    Child target = StartCopy("many_threads.exe", "no_snapshot.exe", "2");
    ASSERT_TRUE(WaitUntil([&] { return ThreadIdsOf(target.id).size() >= 3; }));
    ReleaseSystemServices();
    // A library that has none of the snapshot functions stands in for an old kernel.
    BindSystemServicesFrom("psapi.dll", "version.dll");
    FrozenThreads frozen;
    EXPECT_EQ(FreezeProcess(target.id, L"no_snapshot.exe", &frozen), 0);
    for (DWORD t : ThreadIdsOf(target.id))
        EXPECT_EQ(SuspendCountOf(t), 0) << "thread " << t;
    const std::vector<ProcessListEntry> reading = ExamineProcesses();
    const ProcessListEntry* entry = EntryOf(reading, target.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->systemName, L"no_snapshot.exe");
    EXPECT_EQ(entry->firstOfName, target.id);
    EXPECT_EQ(entry->listedName, L"");
}

// Fills the system past 256 processes to see every one of them listed by the real system
// (about 20 s under Wine).
TEST_F(ProcessApiTest, EveryProcessBeyond256IsListed) {
    const std::string path = temp.CopyHelper("sleeper.exe", "crowd.exe");
    ASSERT_FALSE(path.empty());
    while (AllProcessIds().size() < 270)
        ASSERT_NE(children.Start(path).id, 0u)
            << GetLastError() << " after " << children.All().size();

    const std::vector<DWORD> all = AllProcessIds();
    const std::vector<ProcessListEntry> reading = ExamineProcesses();
    ASSERT_EQ(reading.size(), all.size());
    for (size_t i = 0; i < reading.size(); ++i) {
        EXPECT_EQ(reading[i].id, all[i]) << "entry " << i;
        if (SameProcessName(reading[i].systemName, L"CROWD.EXE")) {
            EXPECT_EQ(reading[i].firstOfName, children.All().front().id) << "entry " << i;
        }
    }
}

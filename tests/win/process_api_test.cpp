// The process layer against real processes: helper programs are copied under chosen names
// into a private temp folder, started, read and ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

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
    const int count = ExamineModules(id);
    for (int i = 0; i < count; ++i) {
        NextModule();
        names.push_back(AsciiLower(Utf8(ModuleName(id))));
    }
    return names;
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

    ASSERT_EQ(ExamineModules(child.id), 2) << "the executable once, then the second module";
    EXPECT_EQ(g_ModuleFilter, static_cast<DWORD>(LIST_MODULES_ALL));
    ASSERT_EQ(NextModule(), 1);
    EXPECT_EQ(ModuleBase(), ImageBaseOf(child.process));
    EXPECT_EQ(ModuleName(child.id), L"both_layers.exe");
    ASSERT_EQ(NextModule(), 2);
    EXPECT_EQ(AsciiLower(Utf8(ModuleName(child.id))), "ntdll.dll");
    // Names are matched by load address, so the snapshot must hold the 32-bit modules too.
#if defined(_WIN64)
    EXPECT_EQ(g_ModuleSnapshotFlags, static_cast<DWORD>(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32));
#else
    EXPECT_EQ(g_ModuleSnapshotFlags, static_cast<DWORD>(TH32CS_SNAPMODULE));
#endif

    proc::g_Services.enumProcessModulesEx = nullptr;
    EXPECT_EQ(ExamineModules(child.id), ModuleSnapshotCount(child.id)) << "the plain listing";
}

TEST_F(ProcessApiTest, ProcessReadingListsEveryIdWithItsNameAndKeepsTheCursorAtTheEnd) {
    Child alpha = StartCopy("sleeper.exe", "alpha_read.exe");
    Child beta = StartCopy("sleeper.exe", "beta_read.exe");

    EXPECT_EQ(ProcessName(), L"") << "no entry under the cursor before the first NextProcess";

    // Wine starts and ends its own helpers at will: read until nothing changed in between.
    std::vector<DWORD> system;
    std::map<DWORD, std::string> listed;
    std::vector<ProcessNameEntry> raw;
    int count = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        system = AllProcessIds();
        listed = ProcessSnapshotNames();
        count = ExamineProcesses();
        raw = ReadProcessNames();
        if (AllProcessIds() == system) break;
    }
    ASSERT_EQ(count, static_cast<int>(std::min<size_t>(system.size(), 256)));
    ASSERT_EQ(raw.size(), static_cast<size_t>(count));

    // Every process by the name the system lists, those of the other bitness too.
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(NextProcess(), i + 1);
        names.push_back(Utf8(ProcessName()));
        EXPECT_EQ(raw[i].id, system[i]) << "entry " << i;
        EXPECT_EQ(names.back(), raw[i].id == 0 ? "IDLE" : listed[raw[i].id]) << "entry " << i;
    }
    EXPECT_TRUE(Contains(names, "alpha_read.exe"));
    EXPECT_TRUE(Contains(names, "beta_read.exe"));
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i].id == alpha.id || raw[i].id == beta.id) {
            EXPECT_TRUE(raw[i].opened);
        }
    }

    EXPECT_EQ(NextProcess(), 0);
    EXPECT_EQ(NextProcess(), 0);
    EXPECT_EQ(Utf8(ProcessName()), names.back()) << "the cursor stays on the last entry";

    ASSERT_GT(ExamineProcesses(), 0);
    EXPECT_EQ(ProcessName(), L"") << "a new reading starts before the first entry";
}

TEST_F(ProcessApiTest, FindProcessByNameIgnoresCaseAndReturnsTheFirstListed) {
    std::vector<DWORD> copies;
    for (const Child& c : StartCopies("sleeper.exe", "lowfind.exe", 3))
        copies.push_back(c.id);
    // Same name in another folder: still the same task name.
    const std::string other = temp.Path() + "\\sub";
    CreateDirectoryA(other.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileA(HelperPath("sleeper.exe").c_str(), (other + "\\lowfind.exe").c_str(), FALSE));
    copies.push_back(children.Start(other + "\\lowfind.exe").id);

    DWORD first = 0;
    for (DWORD id : AllProcessIds()) {
        if (std::find(copies.begin(), copies.end(), id) != copies.end()) {
            first = id;
            break;
        }
    }
    ASSERT_NE(first, 0u);
    for (const wchar_t* name : {L"LOWFIND.EXE", L"LowFind.Exe", L"lowfind.exe"})
        EXPECT_EQ(FindProcessByName(name), first) << Utf8(name);
    // The whole name must match.
    for (const std::wstring& name :
         {std::wstring(L"lowfind"), std::wstring(L"no-such-task.exe"), std::wstring(),
          std::wstring(L"IDLE"), std::wstring(255, L' ')})
        EXPECT_EQ(FindProcessByName(name), 0u) << Utf8(name);

    // A lookup in the middle of a process reading leaves that reading alone.
    const int count = ExamineProcesses();
    ASSERT_GE(count, 3);
    NextProcess();
    NextProcess();
    const std::wstring second = ProcessName();
    FindProcessByName(L"LOWFIND.EXE");
    EXPECT_EQ(ProcessName(), second);
    EXPECT_EQ(NextProcess(), 3);
}

TEST_F(ProcessApiTest, FindProcessByNameFoldsAccentedCapitals) {
    ASSERT_EQ(GetACP(), 1252u) << "needs the Western code page";
    // "café_fold.exe" on disk, looked up as "CAFÉ_FOLD.EXE" (0xE9 / 0xC9).
    const std::string lower = "caf\xE9_fold.exe";
    Child child = StartCopy("sleeper.exe", lower);
    ASSERT_EQ(ExecutableNameOf(child.id), lower);
    EXPECT_EQ(FindProcessByName(L"CAF\xC9_FOLD.EXE"), child.id);
}

TEST_F(ProcessApiTest, PropertiesOfAHelperAndOfAnEndedProcess) {
    Child child = StartCopy("sleeper.exe", "props_helper.exe");
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(ProcessFileName(child.id)), PathOf("props_helper.exe")))
        << Utf8(ProcessFileName(child.id));
    EXPECT_EQ(ProcessPriority(child.id), static_cast<int32_t>(NORMAL_PRIORITY_CLASS));
    EXPECT_GT(ProcessMemory(child.id), 64u * 1024u) << "a working set of at least the image";
    EXPECT_EQ(HasFullAccess(child.id), 1) << "a process of the same user opens fully";

    // A process that ended yields nothing, without touching other readings.
    Child ended = StartCopy("sleeper.exe", "props_ended.exe");
    ASSERT_EQ(children.EndAndRelease(ended, 0), 0u);
    EXPECT_EQ(ProcessFileName(ended.id), L"");
    EXPECT_EQ(ProcessPriority(ended.id), 0);
    EXPECT_EQ(ProcessMemory(ended.id), 0u);
    EXPECT_EQ(HasFullAccess(ended.id), 0);

    EXPECT_EQ(HasFullAccess(0), 0) << "the idle pseudo-process cannot be opened";
    EXPECT_EQ(ProcessFileName(0), L"");
}

TEST_F(ProcessApiTest, ModuleReadingStartsAtTheImageAndMatchesASnapshot) {
    Child child = StartCopy("sleeper.exe", "mods_helper.exe");
    const int expected = ModuleSnapshotCount(child.id);
    ASSERT_GT(expected, 1);

    EXPECT_EQ(ModuleBase(), 0u) << "no module under the cursor before any reading";
    const int count = ExamineModules(child.id);
    EXPECT_EQ(count, expected);
    EXPECT_EQ(ModuleBase(), 0u) << "a new reading starts before the first module";
    EXPECT_EQ(ModuleName(child.id), L"");

    ASSERT_EQ(NextModule(), 1);
    const uintptr_t imageBase = ImageBaseOf(child.process);
    ASSERT_NE(imageBase, 0u);
    EXPECT_EQ(ModuleBase(), imageBase);
    EXPECT_EQ(ModuleName(child.id), L"mods_helper.exe");
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(ModuleFileName(child.id)), PathOf("mods_helper.exe")));

    std::set<ModuleHandle> bases{ModuleBase()};
    for (int i = 2; i <= count; ++i) {
        ASSERT_EQ(NextModule(), i);
        EXPECT_NE(ModuleBase(), 0u);
        bases.insert(ModuleBase());
        EXPECT_FALSE(ModuleName(child.id).empty()) << "module " << i;
    }
    EXPECT_EQ(bases.size(), static_cast<size_t>(count)) << "every module has its own base";
    const ModuleHandle last = ModuleBase();
    const std::wstring lastName = ModuleName(child.id);
    EXPECT_EQ(NextModule(), 0);
    EXPECT_EQ(NextModule(), 0);
    EXPECT_EQ(ModuleBase(), last);
    EXPECT_EQ(ModuleName(child.id), lastName);

    // A process that cannot be opened empties the reading, whatever came before.
    Child ended = StartCopy("sleeper.exe", "mods_ended.exe");
    ASSERT_EQ(children.EndAndRelease(ended, 0), 0u);
    EXPECT_EQ(ExamineModules(ended.id), 0);
    EXPECT_EQ(NextModule(), 0);
    EXPECT_EQ(ModuleBase(), 0u);
    EXPECT_EQ(ModuleName(child.id), L"");
    EXPECT_EQ(ModuleFileName(child.id), L"");
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
    int count = 0;
    EXPECT_TRUE(WaitUntil([&] {
        count = ExamineModules(loader.id);
        return count == ModuleSnapshotCount(loader.id);
    })) << count
        << " modules read, " << ModuleSnapshotCount(loader.id) << " in a snapshot";
    int pathsFound = 0;
    for (int i = 0; i < count; ++i) {
        NextModule();
        const std::string path = AsciiLower(Utf8(ModuleFileName(loader.id)));
        for (const char* dll : wanted)
            if (path.size() > std::strlen(dll) + 1 &&
                path.compare(path.size() - std::strlen(dll) - 1, std::string::npos,
                             std::string("\\") + dll) == 0)
                ++pathsFound;
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

    const int count = ExamineModules(loader.id);
    ASSERT_EQ(count, ModuleSnapshotCount(loader.id));
    int ours = 0;
    for (int i = 1; i <= count; ++i) {
        ASSERT_EQ(NextModule(), i);
        const std::string name = Utf8(ModuleName(loader.id));
        ASSERT_FALSE(name.empty()) << "module " << i;
        if (name.size() > 5 && name[0] == 'm' && name.compare(name.size() - 4, 4, ".dll") == 0 &&
            name.find_first_not_of("0123456789", 1) == name.size() - 4)
            ++ours;
    }
    EXPECT_EQ(ours, extra) << "every DLL of the folder, the last ones included";
    EXPECT_EQ(NextModule(), 0);
    EXPECT_NE(ModuleBase(), 0u);
    EXPECT_FALSE(ModuleFileName(loader.id).empty());
}

TEST_F(ProcessApiTest, TerminateByNameEndsEveryCopyAndNothingElse) {
    for (const char* name : {"victim_lower.exe", "VICTIM_UPPER.EXE"}) {
        SCOPED_TRACE(name);
        const std::string file = AsciiLower(name);
        std::vector<Child> victims = StartCopies("sleeper.exe", file, 3);
        Child bystander = StartCopy("sleeper.exe", "bystander.exe");
        ProcessWatch watch;
        ASSERT_GT(watch.Size(), 4u);

        TerminateByName(FromUtf8(name), 77);

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

TEST_F(ProcessApiTest, TerminateByNameWithoutAMatchChangesNothing) {
    Child helper = StartCopy("sleeper.exe", "untouched.exe");
    ProcessWatch watch;
    ASSERT_GT(watch.Size(), 1u);
    TerminateByName(L"no-such-task.exe", 4242);
    TerminateByName(L"untouched", 4242);
    TerminateByName(L"", 4242);
    TerminateByName(std::wstring(255, L' '), 4242);
    EXPECT_TRUE(NoneEndsWithin({helper.process}));
    const std::vector<DWORD> ended = watch.EndedWithCode(4242);
    EXPECT_TRUE(ended.empty()) << watch.Describe(ended);
}

TEST_F(ProcessApiTest, OwnProcessIsNeverEndedOrFrozen) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string ownName = path;
    ownName = ownName.substr(ownName.rfind('\\') + 1);
    EXPECT_EQ(Utf8(OwnProgramName()), ProgramNameFromPath(std::string(path)));
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
    FreezeProcess(GetCurrentProcessId());
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

    FreezeProcess(target.id);
    for (DWORD t : threads)
        EXPECT_EQ(SuspendCountOf(t), 1) << "thread " << t;
    FreezeProcess(target.id);
    for (DWORD t : threads)
        EXPECT_EQ(SuspendCountOf(t), 2) << "thread " << t;
    for (DWORD t : otherThreads)
        EXPECT_EQ(SuspendCountOf(t), 0) << "other process's thread " << t;

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
    for (const auto& route : routes) {
        proc::g_Services.getProcessIdOfThread = route.owner;
        proc::g_Services.ntQueryInformationThread = route.query;
        FreezeProcess(target.id);
        EXPECT_EQ(SuspendCountOf(threads[0]), 2) << "the thread of another process";
        for (size_t i = 1; i < threads.size(); ++i)
            EXPECT_EQ(SuspendCountOf(threads[i]), route.count) << "thread " << threads[i];
    }
    proc::g_Services.getProcessIdOfThread = g_RealOwner;
    proc::g_Services.ntQueryInformationThread = g_RealQuery;

    // A frozen process can still be ended by name.
    TerminateByName(L"freeze_me.exe", 9);
    EXPECT_EQ(WaitForExit(target.process), 9u);
    // A freeze of the id that is gone finds no thread of it and touches no other.
    FreezeProcess(target.id);
    for (DWORD t : otherThreads)
        EXPECT_EQ(SuspendCountOf(t), 0) << "other process's thread " << t;
    EXPECT_TRUE(NoneEndsWithin({other.process}));
}

TEST_F(ProcessApiTest, SetProcessPriorityChangesTheClassAndRefusesClassZero) {
    Child child = StartCopy("sleeper.exe", "priority_me.exe");
    EXPECT_NE(SetProcessPriority(child.id, IDLE_PRIORITY_CLASS), 0);
    EXPECT_EQ(ProcessPriority(child.id), static_cast<int32_t>(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(child.process), static_cast<DWORD>(IDLE_PRIORITY_CLASS));

    EXPECT_EQ(SetProcessPriority(child.id, 0), 0);
    EXPECT_EQ(ProcessPriority(child.id), static_cast<int32_t>(IDLE_PRIORITY_CLASS));

    EXPECT_NE(SetProcessPriority(child.id, BELOW_NORMAL_PRIORITY_CLASS), 0);
    EXPECT_EQ(ProcessPriority(child.id), static_cast<int32_t>(BELOW_NORMAL_PRIORITY_CLASS));

    ASSERT_EQ(children.EndAndRelease(child, 0), 0u);
    EXPECT_EQ(SetProcessPriority(child.id, NORMAL_PRIORITY_CLASS), 0);
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
        FindProcessByName(L"handles.exe");
        ProcessFileName(child.id);
        ProcessMemory(child.id);
        HasFullAccess(child.id);
        ExamineModules(child.id);
        NextModule();
        ModuleFileName(child.id);
        SetProcessPriority(child.id, NORMAL_PRIORITY_CLASS);
        FreezeProcess(child.id);
        TerminateByName(L"no-such-task.exe", 0);
    }
    EXPECT_EQ(NextHandleValues(), slotsWithChild);
}

TEST_F(ProcessApiTest, WithoutPsapiEveryReadingIsEmptyAndNothingIsEnded) {
    Child helper = StartCopy("sleeper.exe", "no_psapi.exe");
    ReleaseSystemServices();
    BindSystemServicesFrom("morvane-missing-psapi.dll", "kernel32.dll");

    EXPECT_EQ(ExamineProcesses(), 0);
    EXPECT_EQ(NextProcess(), 0);
    EXPECT_EQ(ProcessName(), L"");
    EXPECT_TRUE(ReadProcessNames().empty());
    EXPECT_EQ(FindProcessByName(L"no_psapi.exe"), 0u);
    EXPECT_EQ(ProcessMemory(helper.id), 0u);
    EXPECT_EQ(ExamineModules(helper.id), 0);
    EXPECT_EQ(NextModule(), 0);
    EXPECT_EQ(ModuleBase(), 0u);
    EXPECT_EQ(ModuleName(helper.id), L"");
    EXPECT_EQ(ModuleFileName(helper.id), L"");
    TerminateByName(L"no_psapi.exe", 1);
    EXPECT_TRUE(NoneEndsWithin({helper.process}));
    // What needs no psapi still works; the path comes from the image name instead.
    EXPECT_TRUE(SameTextIgnoringCase(Utf8(ProcessFileName(helper.id)), PathOf("no_psapi.exe")));
    EXPECT_EQ(ProcessPriority(helper.id), static_cast<int32_t>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(HasFullAccess(helper.id), 1);

    ReleaseSystemServices();
    BindSystemServices();
    EXPECT_EQ(FindProcessByName(L"no_psapi.exe"), helper.id) << "a fresh binding reads again";
}

TEST_F(ProcessApiTest, WithoutSnapshotFunctionsFreezeDoesNothing) {
    Child target = StartCopy("many_threads.exe", "no_snapshot.exe", "2");
    ASSERT_TRUE(WaitUntil([&] { return ThreadIdsOf(target.id).size() >= 3; }));
    ReleaseSystemServices();
    // A library that has none of the snapshot functions stands in for an old kernel.
    BindSystemServicesFrom("psapi.dll", "version.dll");
    FreezeProcess(target.id);
    for (DWORD t : ThreadIdsOf(target.id))
        EXPECT_EQ(SuspendCountOf(t), 0) << "thread " << t;
    EXPECT_EQ(FindProcessByName(L"no_snapshot.exe"), target.id) << "psapi is still bound";
}

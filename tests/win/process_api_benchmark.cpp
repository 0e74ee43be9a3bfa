// Timings of the process layer at several process counts, and a listing beyond 256. Slow (it starts
// up to a few hundred helper processes), so it runs only on request:
//   win_tests.exe --gtest_also_run_disabled_tests
//   --gtest_filter=ProcessApiBenchmark.*:ProcessApiLimits.*
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "proc/process_api.h"
#include "tasks/task_actions.h"
#include "tasks/task_refresh.h"
#include "win/app_fixture.h"
#include "win/test_support.h"

using namespace testsupport;

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One pass as the task list refresh makes it: every process named under the cursor, looked
// up by that name, and every property read by the id found.
void FullPassWithLookups() {
    const int count = ExamineProcesses();
    for (int i = 0; i < count; ++i) {
        NextProcess();
        const ProcessId id = FindProcessByName(ProcessName());
        ProcessFileName(id);
        ProcessPriority(id);
        ProcessMemory(id);
        HasFullAccess(id);
        ExamineModules(id);
        NextModule();
        ModuleBase();
    }
}

// The same properties for every process, with the ids of one name reading.
void FullPassByIds() {
    for (const ProcessNameEntry& entry : ReadProcessNames()) {
        ProcessFileName(entry.id);
        ProcessPriority(entry.id);
        ProcessMemory(entry.id);
        HasFullAccess(entry.id);
        ExamineModules(entry.id);
        NextModule();
        ModuleBase();
    }
}

template <typename Fn> double MedianMs(Fn fn, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        fn();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

TEST(ProcessApiBenchmark, DISABLED_RefreshCostAtSeveralProcessCounts) {
    BindSystemServices();
    TempFolder temp;
    ChildProcesses children;
    std::wstring lastName;
    std::printf("%10s %22s %22s %18s %18s\n", "processes", "pass+lookups (ms)", "pass by ids (ms)",
                "find last (ms)", "find none (ms)");
    for (int target : {25, 100, 250}) {
        int running = static_cast<int>(AllProcessIds().size());
        while (running < target) {
            // Distinct names, so that every lookup has to walk to its own process.
            const std::string name = "bench" + std::to_string(running) + ".exe";
            const std::string path = temp.CopyHelper("sleeper.exe", name);
            ASSERT_FALSE(path.empty());
            ASSERT_NE(children.Start(path).id, 0u);
            lastName = FromUtf8(name);
            running = static_cast<int>(AllProcessIds().size());
        }
        const int runs = target > 150 ? 3 : 5;
        const double withLookups = MedianMs(FullPassWithLookups, runs);
        const double byIds = MedianMs(FullPassByIds, runs);
        const double findLast = MedianMs([&] { FindProcessByName(lastName); }, 21);
        const double findNone = MedianMs([] { FindProcessByName(L"no-such-task.exe"); }, 21);
        EXPECT_NE(FindProcessByName(lastName), 0u);
        std::printf("%10d %22.1f %22.1f %18.2f %18.2f\n", running, withLookups, byIds, findLast,
                    findNone);
        std::fflush(stdout);
    }
    children.KillAll();
    ReleaseSystemServices();
}

// Fills the system past 256 processes to see every one of them listed by the real system
// (about 20 s under Wine).
TEST(ProcessApiLimits, EveryProcessBeyond256IsListed) {
    BindSystemServices();
    TempFolder temp;
    ChildProcesses children;
    const std::string path = temp.CopyHelper("sleeper.exe", "crowd.exe");
    ASSERT_FALSE(path.empty());
    while (AllProcessIds().size() < 270)
        ASSERT_NE(children.Start(path).id, 0u)
            << GetLastError() << " after " << children.All().size();

    const std::vector<DWORD> all = AllProcessIds();
    ASSERT_GT(all.size(), 256u);
    EXPECT_EQ(ExamineProcesses(), static_cast<int>(all.size()));
    const std::vector<ProcessNameEntry> names = ReadProcessNames();
    ASSERT_EQ(names.size(), all.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i].id, all[i]) << "entry " << i;
    int walked = 0;
    while (NextProcess() != 0)
        ++walked;
    EXPECT_EQ(walked, static_cast<int>(all.size()));
    EXPECT_EQ(FindProcessByName(L"CROWD.EXE"), children.All().front().id);
    children.KillAll();
    ReleaseSystemServices();
}

// The least any refresh does: one enumeration, then one open with the read rights and one with
// all rights for every process.
void RefreshFloor() {
    for (DWORD id : AllProcessIds()) {
        HANDLE read = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
        if (read != nullptr) CloseHandle(read);
        HANDLE full = OpenProcess(0x1F0FFF, FALSE, id);
        if (full != nullptr) CloseHandle(full);
    }
}

// Refresh time against that floor at about 10, 60 and 300 processes, each of its own name so
// that every row's details are read:
//   win_tests.exe --gtest_also_run_disabled_tests --gtest_filter=*RefreshAgainstTheFloor*
TEST(ProcessApiBenchmark, DISABLED_RefreshAgainstTheFloor) {
    BindSystemServices();
    EnsureMainWindow();
    TempFolder temp;
    ChildProcesses children;
    std::printf("%10s %11s %15s %17s %16s %18s\n", "processes", "floor (ms)", "names only (ms)",
                "table fill (ms)", "refresh (ms)", "refresh / floor");
    for (int target : {10, 60, 300}) {
        for (int n = static_cast<int>(AllProcessIds().size()); n < target; ++n) {
            const std::string name = "floor" + std::to_string(n) + ".exe";
            ASSERT_NE(children.Start(temp.CopyHelper("sleeper.exe", name)).id, 0u);
        }
        const int runs = target > 100 ? 5 : 9;
        const double floor = MedianMs(RefreshFloor, runs);
        const double names = MedianMs([] { ReadProcessNames(); }, runs);
        const double fill = MedianMs([] { FillTaskTable(); }, runs);
        const double refresh = MedianMs(RefreshTaskList, runs);
        std::printf("%10zu %11.1f %15.1f %17.1f %16.1f %18.2f\n", AllProcessIds().size(), floor,
                    names, fill, refresh, refresh / floor);
        std::fflush(stdout);
    }
    children.KillAll();
    ReleaseSystemServices();
}

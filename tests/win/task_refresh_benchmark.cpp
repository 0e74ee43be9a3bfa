// Measures the task table fill against the lookup-per-row way at growing process counts. Run by
// hand: win_tests.exe --gtest_also_run_disabled_tests --gtest_filter=*RefreshBenchmark*
#include <gtest/gtest.h>

#include "proc/process_api.h"
#include "tasks/task_refresh.h"
#include "win/app_fixture.h"
#include "win/test_support.h"

#include <algorithm>
#include <cstdio>

using namespace testsupport;

namespace {

double Seconds(int32_t (*fill)(), int repeats) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> runs;
    for (int i = 0; i < repeats; ++i) {
        QueryPerformanceCounter(&start);
        fill();
        QueryPerformanceCounter(&end);
        runs.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// The slow way to measure the one reading of FillTaskTable against: every row's name looked up in
// a fresh reading of all processes, each property read with an open of its own.
int32_t FillTaskTableByLookup() {
    const int32_t count = ExamineProcesses();
    for (int32_t i = 0; i < count; ++i) {
        NextProcess();
        ProcessName();
        const ProcessId pid = FindProcessByName(ProcessSystemName());
        if (pid == 0) continue;
        ProcessFileName(pid);
        ProcessPriority(pid);
        ProcessMemory(pid);
        HasFullAccess(pid);
        ExamineModules(pid);
        NextModule();
        ModuleBase();
    }
    return count - 1;
}

} // namespace

TEST(TaskRefreshBenchmark, DISABLED_OneReadingAgainstLookupPerRow) {
    BindSystemServices();
    EnsureMainWindow();
    TempFolder folder;
    ChildProcesses children;
    int copies = 0;
    for (int target : {25, 100, 250}) {
        // Every copy gets a name of its own, so each lookup has to search as far as it would
        // for a real process list.
        while (static_cast<int>(AllProcessIds().size()) < target) {
            char name[32];
            snprintf(name, sizeof name, "mvb%03d.exe", copies++);
            std::string path = folder.CopyHelper("sleeper.exe", name);
            ASSERT_FALSE(path.empty());
            ASSERT_NE(children.Start(path).id, 0u);
        }
        const int processes = static_cast<int>(AllProcessIds().size());
        const double single = Seconds(FillTaskTable, 5);
        const double lookup = Seconds(FillTaskTableByLookup, target > 100 ? 1 : 3);
        printf("processes %3d: one reading %.4f s, lookup per row %.4f s, ratio %.1f (%s)\n",
               processes, single, lookup, lookup / single,
               single < lookup ? "one reading is faster" : "one reading is NOT faster");
    }
    children.KillAll();
    ReleaseSystemServices();
}

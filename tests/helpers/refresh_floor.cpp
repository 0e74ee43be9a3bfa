// The least a task list refresh can do, for the benchmark to hold Refresh against: one
// enumeration, then for every process one open with the read rights (module list, name, path,
// memory, priority) and one all-rights probe.
//   refresh_floor.exe REPORT
// makes one pass and writes the milliseconds it took to the file REPORT.
#define PSAPI_VERSION 2 // the K32 entry points of kernel32, no psapi import
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <vector>

static double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static void ReadOne(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (process != nullptr) {
        std::vector<HMODULE> modules(1024);
        DWORD needed = 0;
        EnumProcessModules(process, modules.data(), 1024 * sizeof(HMODULE), &needed);
        wchar_t text[MAX_PATH];
        GetModuleBaseNameW(process, nullptr, text, MAX_PATH);
        GetModuleFileNameExW(process, nullptr, text, MAX_PATH);
        PROCESS_MEMORY_COUNTERS counters{};
        GetProcessMemoryInfo(process, &counters, sizeof counters);
        GetPriorityClass(process);
        CloseHandle(process);
    }
    HANDLE full = OpenProcess(0x1F0FFF, FALSE, id);
    if (full != nullptr) CloseHandle(full);
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const double start = NowMs();
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    ids.resize(bytes / sizeof(DWORD));
    for (DWORD id : ids)
        ReadOne(id);
    const double took = NowMs() - start;
    FILE* report = std::fopen(argv[1], "w");
    if (report == nullptr) return 1;
    std::fprintf(report, "%.2f\n", took);
    return std::fclose(report) == 0 ? 0 : 1;
}

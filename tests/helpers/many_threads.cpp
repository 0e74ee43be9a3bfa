// A process with a known number of threads: "many_threads.exe N" starts N threads besides the
// main one (3 when no count is given); all of them wait until the process is terminated.
#include <windows.h>
#include "started.h"

#include <cstdlib>

static LONG g_Started = 0;
static int g_Extra = 0;

// The last thread to start says the process is ready.
static DWORD WINAPI WaitForever(LPVOID) {
    if (InterlockedIncrement(&g_Started) == g_Extra) SignalReady();
    Sleep(INFINITE);
    return 0;
}

int main(int argc, char** argv) {
    int extra = argc > 1 ? std::atoi(argv[1]) : 3;
    if (extra < 0) extra = 0;
    g_Extra = extra;
    if (extra == 0) SignalReady();
    for (int i = 0; i < extra; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, WaitForever, nullptr, 0, nullptr);
        if (thread != nullptr) CloseHandle(thread);
    }
    Sleep(INFINITE);
    return 0;
}

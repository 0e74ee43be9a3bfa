// A process with a known number of threads: "many_threads.exe N" starts N threads besides the
// main one (3 when no count is given); all of them wait until the process is terminated.
#include <windows.h>
#include "started.h"

#include <cstdlib>

static LONG g_Started = 0;

// The last of `extra` threads to start says the process is ready.
static DWORD WINAPI WaitForever(LPVOID extra) {
    if (InterlockedIncrement(&g_Started) == reinterpret_cast<INT_PTR>(extra)) SignalReady();
    Sleep(INFINITE);
    return 0;
}

int main(int argc, char** argv) {
    int extra = argc > 1 ? std::atoi(argv[1]) : 3;
    if (extra < 0) extra = 0;
    if (extra == 0) SignalReady();
    for (int i = 0; i < extra; ++i) {
        HANDLE thread =
            CreateThread(nullptr, 0, WaitForever,
                         reinterpret_cast<LPVOID>(static_cast<INT_PTR>(extra)), 0, nullptr);
        if (thread != nullptr) CloseHandle(thread);
    }
    Sleep(INFINITE);
    return 0;
}

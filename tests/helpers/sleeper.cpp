// A process for the tests to look at and end: it waits until it is terminated.
#include <windows.h>
#include "started.h"
int main() {
    SignalReady();
    Sleep(INFINITE);
    return 0;
}

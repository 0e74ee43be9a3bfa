// A process for the tests to look at and end: it waits until it is terminated.
#include <windows.h>
int main() {
    Sleep(INFINITE);
    return 0;
}

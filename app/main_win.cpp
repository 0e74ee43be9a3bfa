// The program's entry: start-up, the window shown, the task page's loop.
#include "app/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!StartUp(instance)) EndProgram();
    ShowWindow(g_MainWindow, SW_SHOWNORMAL);
    RunMainEventLoop();
    return 0;
}

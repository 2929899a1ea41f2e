// Stands in for one task of the client: copied under a task's file name and started, it stays alive doing
// nothing until something ends it. A GUI-subsystem program, so that no console window opens for it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    for (;;) {
        ::Sleep(INFINITE);
    }
}

// The floor for a run of tolvik: a GUI program built with the same flags that
// does nothing, importing only KERNEL32 and the C runtime. Whatever it costs
// is what Wine and process start cost.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}

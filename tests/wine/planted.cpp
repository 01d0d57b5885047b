// A DLL that must never be loaded. Put beside tolvik.exe under the name of a
// system DLL that is not a known one, version.dll (imm32.dll, also planted,
// is a known DLL from Windows 7 on and then always comes from the system
// folder), it leaves planted.txt in the current folder when it is.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        CloseHandle(
            CreateFileA("planted.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}

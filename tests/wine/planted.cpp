// A DLL that must never be loaded. Put beside tolvik.exe under the name of a
// system DLL that is not a known one (imm32.dll, version.dll), it leaves
// planted.txt in the current folder when it is.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        CloseHandle(
            CreateFileA("planted.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    return TRUE;
}

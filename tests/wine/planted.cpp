// A DLL that must never be loaded. Put beside tolvik.exe under the name of a
// system DLL that is not a known DLL (imm32.dll, version.dll), it appends its
// own path to planted.txt in the current folder when it is.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    path[length++] = '\n';
    HANDLE mark = CreateFileA("planted.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    WriteFile(mark, path, length, &length, nullptr);
    CloseHandle(mark);
    return TRUE;
}

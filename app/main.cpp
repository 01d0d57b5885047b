// The program's entry: a GUI-subsystem program that opens no window of its
// own, so a run from Explorer, a shortcut or a script shows nothing but its
// message boxes.
#include <windows.h>

#include "app/dispatch.h"
#include "platform/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tolvik::LoadDllsFromSystemFolderOnly();
    tolvik::Win32Platform platform;
    return tolvik::RunLinkMaker(platform);
}

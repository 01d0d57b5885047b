// Starts a program with an exact command-line byte string, reads the message
// box it opens, closes the box and reports the program's exit status.
//
//   tolvik_probe <program> <command line as hex bytes> [time limit in ms]
//
// Prints "box", "caption <hex>" and "text <hex>" for each box it closed, then
// "exit <status>". When the program has not ended within the time limit it is
// ended, "timeout" is printed and the probe exits with status 2.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string FromHex(const char* hex) {
    std::string bytes;
    for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
        const char pair[3] = {hex[i], hex[i + 1], '\0'};
        bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
    }
    return bytes;
}

void PrintHex(const char* label, const char* bytes, int length) {
    std::printf("%s ", label);
    for (int i = 0; i < length; ++i) std::printf("%02X", static_cast<unsigned char>(bytes[i]));
    std::printf("\n");
}

struct Search {
    DWORD processId;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::string(className) == "#32770") {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tolvik_probe <program> <command line hex> [ms]\n");
        return 64;
    }
    std::string commandLine = FromHex(argv[2]);
    const DWORD limit = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 20000;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("start-failed %lu\n", GetLastError());
        return 3;
    }
    const DWORD started = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
        Search search{process.dwProcessId, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.box != nullptr) {
            char caption[4096] = {};
            char text[65536] = {};
            const int captionLength = GetWindowTextA(search.box, caption, sizeof caption);
            const int textLength =
                static_cast<int>(GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text));
            std::printf("box\n");
            PrintHex("caption", caption, captionLength);
            PrintHex("text", text, textLength);
            PostMessageA(search.box, WM_COMMAND, IDOK, 0);
            Sleep(200);
        }
        if (GetTickCount() - started > limit) {
            TerminateProcess(process.hProcess, 1);
            std::printf("timeout\n");
            return 2;
        }
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("exit %lu\n", status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

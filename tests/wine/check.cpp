// The real program under wine64, as a user meets it, in the locale this check
// was started in, started as Explorer starts it, with a UTF-16 command line:
// each box read back (caption and text) and closed, hard links made for real,
// none for a path Windows rewrote on the way to the ANSI command line, a
// refused junction taken back, exit status 0, no DLL loaded from the
// program's own folder, and the program's step through a command line equal
// to CharNextA's. Texts here are UTF-8.
//
//   tolvik_wine_check <tolvik.exe> <ANSI code page> <ja | en> <planted.dll>   (in an empty folder)
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32_platform.h"
#include "support/arguments.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (!ok) std::printf("FAIL %s\n", what.c_str()), ++failures;
}

std::wstring W(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            static_cast<int>(wide.size()))));
    return wide;
}
// In the ANSI code page, as a box shows it.
std::string A(const std::string& text) {
    const std::wstring wide = W(text);
    std::string ansi(wide.size() * 2, '\0');
    ansi.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                            static_cast<int>(ansi.size()), nullptr, nullptr)));
    return ansi;
}

// The boxes as this check reports them, byte for byte in code page 932.
std::string UsageNote(const std::string& name) {
    // ジャンクション 又は ハードリンクの作成 / 【書式】name [src] [dst]
    return "box "
           "\x83\x57\x83\x83\x83\x93\x83\x4E\x83\x56\x83\x87\x83\x93\x20\x96\x94\x82\xCD\x20"
           "\x83\x6E\x81\x5B\x83\x68\x83\x8A\x83\x93\x83\x4E\x82\xCC\x8D\xEC\x90\xAC"
           "\n\x81\x79\x8F\x91\x8E\xAE\x81\x7A" +
           name + " [src] [dst]\n";
}
std::string ErrorBox(const std::string& src, const std::string& dst) {
    // 無念 / 作成できませんでした. / (empty line) / 元：src / 先：dst
    return "box \x96\xB3\x94\x4F\n"
           "\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x2E"
           "\r\n\r\n\x8C\xB3\x81\x46" +
           src + "\r\n\x90\xE6\x81\x46" + dst + "\n";
}

// A visible message box of the process, other than the one seen last.
HWND FindBox(DWORD process, HWND seen) {
    HWND box = nullptr;
    DWORD owner = 0;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
        GetWindowThreadProcessId(box, &owner);
        if (owner == process && box != seen && IsWindowVisible(box)) return box;
    }
    return nullptr;
}

// Starts `exe` with exactly this command line, reads and closes each box it
// shows, and gives up on it after a minute. Says what it saw and the status.
std::string Run(const std::string& exe, const std::string& line) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = W(line);
    if (!CreateProcessW(W(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return "not started";
    }
    std::string seen;
    HWND box = nullptr;
    const ULONGLONG started = GetTickCount64();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() - started > 60000) TerminateProcess(process.hProcess, 1);
        HWND found = FindBox(process.dwProcessId, box);
        if (found == nullptr) continue;
        box = found;
        char caption[256] = {}, text[4096] = {};
        GetWindowTextA(box, caption, sizeof caption);
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen += "box " + std::string(caption) + "\n" + text + "\n";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    return seen + "exit " + std::to_string(status);
}

// How many names the file has (0: there is none); OPEN_ALWAYS makes it first.
DWORD Links(const std::string& path, DWORD disposition = OPEN_EXISTING) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE file = CreateFileW(W(path).c_str(), 0, 7, nullptr, disposition,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return info.nNumberOfLinks;
}

}  // namespace

int main(int, char** argv) {
    const std::string tolvik = argv[1], codePage = argv[2], language = argv[3];
    Check(std::to_string(GetACP()) == codePage, "ANSI code page " + std::to_string(GetACP()));

    tolvik::Win32Platform platform;
    const tolvik::LeadByteSet leadBytes = tolvik::SystemLeadBytes(platform);
    int steps = 0;
    for (int pair = 0; pair < 0x20000; ++pair) {  // every two bytes, from either one
        const char text[] = {static_cast<char>(pair >> 9), static_cast<char>(pair >> 1), 'a', '\0'};
        steps += tolvik::NextCharacter(leadBytes, text + pair % 2) == CharNextA(text + pair % 2);
    }
    Check(steps == 0x20000, "the step agrees with CharNextA " + std::to_string(steps) + " times");

    // Without a window manager, a managed window takes seconds to go away.
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2);
    char folder[MAX_PATH];
    const std::string here(folder, GetCurrentDirectoryA(MAX_PATH, folder));
    // 表 and ソ have a backslash as their second byte in 932.
    const bool dbcs = codePage == "932";
    const std::string dir = dbcs ? "表" : "café", other = dbcs ? "ソ" : "ï", yotei = "予定表.exe";
    // Look-alikes that the code page turns into a backslash or a quote.
    const std::string slash = dbcs ? "¥" : "＼", src = dbcs ? "folder¥..¥a.txt" : "＂a.txt＂";
    CreateDirectoryA("folder", nullptr), CreateDirectoryW(W(dir).c_str(), nullptr);
    Links("a.txt", OPEN_ALWAYS), Links("old.txt", OPEN_ALWAYS);
    Links(dir + "\\" + other + ".txt", OPEN_ALWAYS);
    // A copy in a downloads folder, beside DLLs planted under system names.
    CreateDirectoryA("downloads", nullptr);
    CopyFileA(tolvik.c_str(), "downloads\\maker.exe", TRUE);
    CopyFileA(argv[4], "downloads\\imm32.dll", TRUE),
        CopyFileA(argv[4], "downloads\\version.dll", TRUE);
    if (dbcs) CopyFileW(W(tolvik).c_str(), W(yotei).c_str(), TRUE);

    const struct {
        std::string exe, commandLine, boxes;
        std::string path;  // afterwards, it has this many names (0: none)
        DWORD links;
    } cases[] = {{"downloads\\maker.exe", "other.exe only", UsageNote("maker.exe"), "", 0},
                 {dbcs ? yotei : "", "x", UsageNote(A(language == "ja" ? yotei : ".exe")), "", 0},
                 {tolvik, "t \"" + here + "\\a.txt\" \"" + here + "\\b c.txt\"", "", "b c.txt", 2},
                 // A third name, relative to here; what the code page lacks may
                 // stand in the program's own token and after the second argument.
                 {tolvik, "한 a.txt link.txt 한", "", "link.txt", 3},
                 {tolvik, "t " + dir + "\\" + other + ".txt " + dir + "\\" + other + other, "",
                  dir + "\\" + other + other, 2},
                 {"downloads\\maker.exe", "t " + dir + "\\none " + dir + "\\new",
                  ErrorBox(A(dir + "\\none"), A(dir + "\\new")), dir + "\\new", 0},
                 {tolvik, "t " + src + " new.txt",
                  ErrorBox(dbcs ? "folder?..?a.txt" : "?a.txt?", "new.txt"), "new.txt", 0},
                 {tolvik, "t a.txt folder" + slash + ".." + slash + "up.txt",
                  ErrorBox("a.txt", "folder?..?up.txt"), "up.txt", 0},
                 {tolvik, "t a.txt old.txt", ErrorBox("a.txt", "old.txt"), "old.txt", 1},
                 // This Wine refuses every junction, so the directory made for it goes again.
                 {tolvik, "t folder link", ErrorBox("folder", "link"), "link", 0}};
    for (const auto& c : cases) {
        if (c.exe.empty()) continue;
        const std::string seen = Run(c.exe, c.commandLine);
        Check(seen == c.boxes + "exit 0", c.commandLine + ": " + seen);
        if (!c.path.empty()) Check(Links(c.path) == c.links, c.commandLine + ": " + c.path);
    }
    Check(Links("planted.txt") == 0, "a DLL beside the program was loaded");
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}

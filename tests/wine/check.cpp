// The shipped program under Wine, as a user meets it, in the locale this check
// was started in, started as Explorer starts it, with a UTF-16 command line:
// each box read back (caption and text) and closed, hard links made for real,
// at the typed name where Windows rewrote a path on the way to the ANSI
// command line and nowhere else, a refused junction taken back, exit status 0,
// no DLL loaded from the program's own folder, and the program's step through
// a command line equal to CharNextA's.
//
//   tolvik_wine_check <tolvik.exe> <ANSI code page> <ja | en> <planted.dll>   (in an empty folder)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32_platform.h"
#include "support/arguments.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (!ok) std::printf("FAIL %s\n", what.c_str()), ++failures;
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

// Starts `exe` with exactly this command line, as a Unicode program starts
// it or, `ansi`, as an ANSI program does with the code page's bytes, reads and closes each box it
// shows, and gives up on it after a minute. Says what it saw and the status.
std::string Run(const std::wstring& exe, std::wstring commandLine, bool ansi) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;  // laid out as STARTUPINFOA, and all else null
    PROCESS_INFORMATION process{};
    std::string bytes(commandLine.size() * 2 + 1, '\0'), path(exe.begin(), exe.end());
    WideCharToMultiByte(CP_ACP, 0, commandLine.c_str(), -1, &bytes[0],
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    if (!(ansi ? CreateProcessA(path.c_str(), &bytes[0], nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, reinterpret_cast<STARTUPINFOA*>(&startup), &process)
               : CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process)))
        return "not started";
    std::string seen;
    HWND box = nullptr;
    const ULONGLONG started = GetTickCount64();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() - started > 60000) TerminateProcess(process.hProcess, 1);
        // A visible message box of the process, other than the one seen last.
        HWND found = nullptr;
        DWORD owner = 0;
        while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr) {
            GetWindowThreadProcessId(found, &owner);
            if (owner == process.dwProcessId && found != box && IsWindowVisible(found)) break;
        }
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
DWORD Links(const std::wstring& path, DWORD disposition = OPEN_EXISTING) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE file =
        CreateFileW(path.c_str(), 0, 7, nullptr, disposition, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return info.nNumberOfLinks;
}

// Counts the windows of a desktop.
BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    return ++*reinterpret_cast<DWORD*>(count), TRUE;
}

}  // namespace

int main(int, char** argv) {
    const std::string codePage = argv[2], language = argv[3];
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
    wchar_t folder[MAX_PATH];
    const std::wstring here(folder, GetCurrentDirectoryW(MAX_PATH, folder));
    const std::wstring tolvik(argv[1], argv[1] + std::strlen(argv[1]));  // ASCII
    // 表 and ソ have a backslash as their second byte in 932, where the fullwidth
    // backslash is a character too. A case for one code page only starts with
    // "-" in the other, and is skipped there.
    const bool dbcs = codePage == "932";
    const std::wstring dir = dbcs ? L"表" : L"café", other = dbcs ? L"ソ" : L"ï",
                       wide = dbcs ? L"＼" : L"", yotei = L"予定表.exe",
                       only932 = dbcs ? L"" : L"-", only1252 = dbcs ? L"-" : L"";
    const std::string dirInBox = dbcs ? "\x95\x5C" : "caf\xE9",
                      yoteiInBox = "\x97\x5C\x92\xE8\x95\x5C.exe";
    // Look-alikes that the code page turns into a backslash, a quote, a hyphen
    // or a blank, and a name it has no form for at all: each is linked as
    // typed, the files that are named so being there.
    const std::wstring slash = dbcs ? L"¥" : L"＼", src = dbcs ? L"folder¥..¥a.txt" : L"＂a.txt＂",
                       up = L"folder" + slash + L".." + slash + L"up.txt",
                       lacked = dbcs ? L"a〜b" : L"a한b", made = lacked + L"\\new.txt";
    for (auto name : {L"folder", dir.c_str(), lacked.c_str()}) CreateDirectoryW(name, nullptr);
    for (const auto& name : {L"a.txt", L"old.txt", L"＂a", src.c_str()}) Links(name, OPEN_ALWAYS);
    Links(dir + L"\\" + other + L".txt", OPEN_ALWAYS), Links(lacked + L"\\😀.txt", OPEN_ALWAYS);
    // A copy in a downloads folder, beside DLLs planted under system names.
    CreateDirectoryA("downloads", nullptr);
    CopyFileA(argv[1], "downloads\\maker.exe", TRUE);
    CopyFileA(argv[4], "downloads\\imm32.dll", TRUE),
        CopyFileA(argv[4], "downloads\\version.dll", TRUE);
    if (dbcs) CopyFileW(tolvik.c_str(), yotei.c_str(), TRUE);

    const struct {
        std::wstring exe, commandLine;
        std::string boxes;
        std::wstring path;  // afterwards, it has this many names (0: none)
        DWORD links;
        bool ansi = false;  // started with ANSI bytes
    } cases[] = {
        {L"downloads\\maker.exe", L"other.exe only", UsageNote("maker.exe"), L"", 0},
        {dbcs ? yotei : L"-", L"x", UsageNote(language == "ja" ? yoteiInBox : ".exe"), L"", 0},
        {tolvik, L"t \"" + here + L"\\a.txt\" \"" + here + L"\\b c.txt\"", "", L"b c.txt", 2},
        // A third name, relative to here; what the code page lacks may
        // stand in the program's own token and after the second argument.
        {tolvik, L"한 a.txt link.txt 한", "", L"link.txt", 3},
        {tolvik, L"t " + dir + L"\\" + other + L".txt " + dir + L"\\" + other + wide + other, "",
         dir + L"\\" + other + wide + other, 2, true},
        {L"downloads\\maker.exe", L"t " + dir + L"\\none " + dir + L"\\new",
         ErrorBox(dirInBox + "\\none", dirInBox + "\\new"), dir + L"\\new", 0},
        // A.txt has a fourth name, then a fifth.
        {tolvik, L"t " + src + L" new.txt", "", L"new.txt", 2},
        {tolvik, L"t a.txt " + up, "", up, 4},
        {only932 + tolvik, L"t a.txt a\u00ADb", "", L"a\u00ADb", 5},
        {only1252 + tolvik, L"t a.txt b\u3000c.txt", "", L"b\u3000c.txt", 5},
        {only1252 + tolvik, L"t ＂a b＂", "", L"b＂", 2},
        {only1252 + tolvik, L"t \"a＂ b\"", ErrorBox("a? b", ""), L"", 0},
        {tolvik, L"t " + lacked + L"\\😀.txt " + made, "", made, 2},
        {tolvik, L"t a.txt " + made, ErrorBox("a.txt", "a?b\\new.txt"), made, 2},
        {tolvik, L"t a.txt old.txt", ErrorBox("a.txt", "old.txt"), L"old.txt", 1},
        // This Wine refuses every junction, so the directory made for it goes again.
        {tolvik, L"t folder link", ErrorBox("folder", "link"), L"link", 0}};
    for (const auto& c : cases) {
        if (c.exe[0] == L'-') continue;
        const std::string seen = Run(c.exe, c.commandLine, c.ansi),
                          name = std::to_string(&c - cases);
        Check(seen == c.boxes + "exit 0", "case " + name + ": " + seen);
        if (!c.path.empty()) Check(Links(c.path) == c.links, "case " + name + ": links");
    }
    for (const auto& name : {L"up.txt", L"a-b", L"b"}) Check(Links(name) == 0, "best fit made");

    // A window station without a display, as a scheduled task or a service
    // gets it, where a box would wait for good, as nobody can close it: each
    // run (no arguments, a missing SRC, a hard link) ends at once with status
    // 0, no window ever found on its desktop, which nothing else uses, and the
    // hard link is made. It asks nothing of the locale, so one group is
    // enough. The check stays in that station from here on.
    if (dbcs && language == "ja") {
        SetProcessWindowStation(CreateWindowStationW(L"unseen", 0, WINSTA_ALL_ACCESS, nullptr));
        HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup, startup.lpDesktop = const_cast<wchar_t*>(L"unseen\\Default");
        for (std::wstring line : {L"t", L"t none.txt hidden.txt", L"t old.txt hidden.txt"}) {
            PROCESS_INFORMATION process{};
            CreateProcessW(tolvik.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process);
            DWORD windows = 0, status = 1;
            const ULONGLONG started = GetTickCount64();
            while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT &&
                   GetTickCount64() - started < 10000)
                EnumDesktopWindows(desktop, CountWindow, reinterpret_cast<LPARAM>(&windows));
            const ULONGLONG took = GetTickCount64() - started;
            GetExitCodeProcess(process.hProcess, &status), TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hThread), CloseHandle(process.hProcess);
            std::printf("unseen: %llu ms, exit %lu, windows %lu\n", took, status, windows);
            Check(took < 10000 && status == 0 && windows == 0, "unseen: the run above");
        }
        Check(Links(L"hidden.txt") == 2, "unseen: the hard link");
    }
    Check(Links(L"planted.txt") == 0, "a DLL beside the program was loaded");
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}

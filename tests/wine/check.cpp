// The shipped program under Wine, as a user meets it, in the locale this check
// was started in, started as Explorer starts it, with a UTF-16 command line:
// each box read back as the UTF-16 text a person sees (caption and text) and
// closed, hard links made for real, at the typed name where Windows rewrote a
// path on the way to the ANSI command line and nowhere else, long paths, a
// refused junction taken back, exit status 0 after a box, no box and no
// window where nobody can see one and the status in its stead, no DLL loaded
// from the program's own folder, and the program's step through a command
// line equal to CharNextA's.
//
//   tolvik_wine_check <tolvik.exe> <ANSI code page> <ja | en> <planted.dll>   (in an empty folder)
#include <windows.h>

#include <algorithm>
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

// The boxes as a person reads them, as this check reports them.
std::wstring UsageNote(const std::wstring& name) {
    return L"box ジャンクション 又は ハードリンクの作成\n【書式】" + name + L" [src] [dst]\n";
}
std::wstring ErrorBox(const std::wstring& src, const std::wstring& dst) {
    return L"box 無念\n作成できませんでした.\r\n\r\n元：" + src + L"\r\n先：" + dst + L"\n";
}

// The text in a code page: UTF-8 for this check's log, or the ANSI one.
std::string Bytes(const std::wstring& text, UINT codePage = CP_UTF8) {
    std::string bytes(text.size() * 3 + 1, '\0');
    bytes.resize(static_cast<std::size_t>(
        WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0],
                            static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

// The windows of a desktop (null: this one), each as its class, caption,
// process and whether it is visible.
BOOL CALLBACK ListWindow(HWND window, LPARAM list) {
    wchar_t name[64] = {}, caption[128] = {};
    DWORD process = 0;
    GetClassNameW(window, name, 64), GetWindowTextW(window, caption, 128);
    GetWindowThreadProcessId(window, &process);
    *reinterpret_cast<std::wstring*>(list) += L"  " + std::wstring(name) + L" \"" + caption +
                                              L"\" process " + std::to_wstring(process) +
                                              (IsWindowVisible(window) ? L" visible\n" : L"\n");
    return TRUE;
}
std::wstring Windows(HDESK desktop) {
    std::wstring list;
    EnumDesktopWindows(desktop, ListWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

// Starts `exe` with exactly this command line, as a Unicode program starts
// it or, `ansi`, as an ANSI program does with the code page's bytes, reads
// each box it shows as the UTF-16 text a person sees and closes it. Says
// what it saw and the status. Started, `unseen`, on a desktop of a window
// station without a display, as a scheduled task or a service gets it, it
// says how many windows that desktop had while it ran. That station is made
// the first time, from inside it, and this check stays in it: such runs come
// last. A run that has not ended after 20 s is ended, and what it was
// waiting for is printed with the windows there were, as the log is all
// that is left of a failure nobody can reproduce.
std::wstring Run(const std::wstring& exe, std::wstring commandLine, bool ansi, bool hidden) {
    static HDESK made = nullptr;
    if (hidden && made == nullptr) {
        SetProcessWindowStation(CreateWindowStationW(L"unseen", 0, WINSTA_ALL_ACCESS, nullptr));
        made = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    }
    const HDESK unseen = hidden ? made : nullptr;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;  // laid out as STARTUPINFOA, and all else null
    if (unseen) startup.lpDesktop = const_cast<wchar_t*>(L"unseen\\Default");
    PROCESS_INFORMATION process{};
    std::string bytes = Bytes(commandLine, CP_ACP), path = Bytes(exe, CP_ACP);
    if (!(ansi ? CreateProcessA(path.c_str(), &bytes[0], nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, reinterpret_cast<STARTUPINFOA*>(&startup), &process)
               : CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process)))
        return L"not started";
    std::wstring seen;
    HWND box = nullptr;
    std::size_t windows = 0;
    const ULONGLONG started = GetTickCount64();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() - started > 20000) {
            std::printf("TIMEOUT after 20 s, waiting for the program to end%s; windows:\n%s",
                        box ? " after telling its box to close" : ", no box of it found",
                        Bytes(Windows(unseen)).c_str());
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
        if (unseen) windows = std::max(windows, Windows(unseen).size());
        // A visible message box of the process, read once and told to close
        // until it does: a box not yet ready may let the first word go.
        HWND found = nullptr;
        DWORD owner = 0;
        while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr) {
            GetWindowThreadProcessId(found, &owner);
            if (owner == process.dwProcessId && IsWindowVisible(found)) break;
        }
        if (found == nullptr) continue;
        if (found != box) {
            box = found;
            wchar_t caption[256] = {}, text[4096] = {};
            GetWindowTextW(box, caption, 256);
            GetDlgItemTextW(box, 0xFFFF, text, 4096);
            seen += L"box " + std::wstring(caption) + L"\n" + text + L"\n";
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    if (windows != 0) seen += L"windows on its desktop\n";
    return seen + L"exit " + std::to_wstring(status);
}

// How many names the file has (0: there is none); OPEN_ALWAYS makes it first.
DWORD Links(const std::wstring& path, DWORD disposition = OPEN_EXISTING) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE file =
        CreateFileW(path.c_str(), 0, 7, nullptr, disposition, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    GetFileInformationByHandle(file, &info), CloseHandle(file);
    return info.nNumberOfLinks;
}

}  // namespace

int main(int, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // a run that never ends still leaves its line
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
    // backslash is a character too; UTF-8 has them all.
    const bool japanese = codePage != "1252";
    const std::wstring dir = japanese ? L"表" : L"café", other = japanese ? L"ソ" : L"ï",
                       wide = japanese ? L"＼" : L"", yotei = L"予定表.exe";
    // Look-alikes that the code page turns into a backslash, a quote, a hyphen
    // or a blank, and a name it has no form for at all: each is linked as
    // typed, the files that are named so being there.
    const std::wstring slash = japanese ? L"¥" : L"＼",
                       src = japanese ? L"folder¥..¥a.txt" : L"＂a.txt＂",
                       up = L"folder" + slash + L".." + slash + L"up.txt",
                       lacked = japanese ? L"a〜b" : L"a한b", made = lacked + L"\\new.txt";
    for (auto name : {L"folder", dir.c_str(), lacked.c_str()}) CreateDirectoryW(name, nullptr);
    for (const auto& name : {L"a.txt", L"old.txt", L"＂a", src.c_str()}) Links(name, OPEN_ALWAYS);
    Links(dir + L"\\" + other + L".txt", OPEN_ALWAYS), Links(lacked + L"\\😀.txt", OPEN_ALWAYS);
    // A copy in a downloads folder, beside DLLs planted under system names.
    CreateDirectoryA("downloads", nullptr), CopyFileA(argv[1], "downloads\\maker.exe", TRUE);
    CopyFileA(argv[4], "downloads\\imm32.dll", TRUE),
        CopyFileA(argv[4], "downloads\\version.dll", TRUE);
    CopyFileW(tolvik.c_str(), yotei.c_str(), TRUE);
    // Folders more than 300 units deep, made through the wide calls with \\?\.
    std::wstring deep = L"\\\\?\\" + here + L"\\";
    for (int level = 0; level < 3; ++level, deep += L'\\')
        CreateDirectoryW((deep += std::wstring(99, L'd')).c_str(), nullptr);
    Links(deep + L"a.txt", OPEN_ALWAYS), Links(deep + lacked + L".txt", OPEN_ALWAYS);

    struct Case {
        std::wstring line;         // the command line, the program's own token first
        std::wstring boxes = L"";  // what a person reads, box by box
        std::wstring path = L"";   // afterwards it has this many names (0: none)
        DWORD names = 0, status = 0;
        std::wstring exe = L"";  // empty: tolvik.exe
        bool ansi = false;       // started with the code page's bytes
        bool unseen = false;     // where nobody can see a box
        const char* only = "";   // the one code page it is run in
    };
    const std::wstring maker = L"downloads\\maker.exe";
    // clang-format off
    const Case cases[] = {
        {.line = L"other.exe only", .boxes = UsageNote(L"maker.exe"), .exe = maker},
        // Found by its ANSI path where the code page carries it, as Windows
        // holds it elsewhere; with an English thread locale, 932's second
        // bytes are taken for backslashes.
        {.line = L"x", .boxes = UsageNote(codePage == "932" && language == "en" ? L".exe" : yotei),
         .exe = yotei},
        {.line = L"t \"" + here + L"\\a.txt\" \"" + here + L"\\b c.txt\"", .path = L"b c.txt", .names = 2},
        // A third name, relative to here; what the code page lacks may
        // stand in the program's own token and after the second argument.
        {.line = L"한 a.txt link.txt 한", .path = L"link.txt", .names = 3},
        {.line = L"t " + dir + L"\\" + other + L".txt " + dir + L"\\" + other + wide + other,
         .path = dir + L"\\" + other + wide + other, .names = 2, .ansi = true},
        {.line = L"t " + dir + L"\\none " + dir + L"\\new", .boxes = ErrorBox(dir + L"\\none", dir + L"\\new"),
         .path = dir + L"\\new", .exe = maker},
        // A.txt has a fourth name, then a fifth.
        {.line = L"t " + src + L" new.txt", .path = L"new.txt", .names = 2},
        {.line = L"t a.txt " + up, .path = up, .names = 4},
        {.line = L"t a.txt a\u00ADb", .path = L"a\u00ADb", .names = 5, .only = "932"},
        {.line = L"t a.txt b\u3000c.txt", .path = L"b\u3000c.txt", .names = 5, .only = "1252"},
        {.line = L"t ＂a b＂", .path = L"b＂", .names = 2, .only = "1252"},
        // One argument typed, or none, however the ANSI line splits it: the
        // usage note, nothing made.
        {.line = L"t \"a＂ b\"", .boxes = UsageNote(L"tolvik.exe"), .only = "1252"},
        {.line = L"t a.txt\u3000b.txt", .boxes = UsageNote(L"tolvik.exe"), .path = L"b.txt", .only = "1252"},
        {.line = L"t " + lacked + L"\\😀.txt " + made, .path = made, .names = 2},
        {.line = L"t a.txt " + made, .boxes = ErrorBox(L"a.txt", made), .path = made, .names = 2},
        {.line = L"t a.txt old.txt", .boxes = ErrorBox(L"a.txt", L"old.txt"), .path = L"old.txt", .names = 1},
        // This Wine refuses every junction, so the directory made for it goes again.
        {.line = L"t folder link", .boxes = ErrorBox(L"folder", L"link"), .path = L"link"},
        {.line = L"t " + dir + L" " + dir + L"\\" + other, .boxes = ErrorBox(dir, dir + L"\\" + other),
         .path = dir + L"\\" + other, .ansi = true},
        // Past MAX_PATH, written with \\?\: the wide calls, started with ANSI bytes
        // or with a character the code page lacks.
        {.line = L"t " + deep + L"a.txt " + deep + L"b.txt", .path = deep + L"b.txt", .names = 2, .ansi = true},
        {.line = L"t " + deep + lacked + L".txt " + deep + L"d.txt", .path = deep + L"d.txt", .names = 2},
        // Where nobody can see a box: none, no window at all, the run ends at
        // once, and the status tells what the box would have.
        {.line = L"t", .status = 2, .unseen = true},
        {.line = L"t a.txt old.txt", .path = L"old.txt", .names = 1, .status = 1, .unseen = true},
        {.line = L"t old.txt hidden.txt", .path = L"hidden.txt", .names = 2, .unseen = true}};
    // clang-format on
    const ULONGLONG started = GetTickCount64();
    for (const auto& c : cases) {
        if (*c.only && c.only != codePage) continue;
        const std::string name = "case " + std::to_string(&c - cases);
        // Well within ctest's bound, so that the log says where it stopped.
        if (GetTickCount64() - started > 200000) {
            Check(false, name + " not started: the runs took 200 s");
            break;
        }
        std::printf("%s: %s\n", name.c_str(), Bytes(c.line).c_str());
        const std::wstring seen = Run(c.exe.empty() ? tolvik : c.exe, c.line, c.ansi, c.unseen);
        Check(seen == c.boxes + L"exit " + std::to_wstring(c.status), name + ": " + Bytes(seen));
        if (!c.path.empty()) Check(Links(c.path) == c.names, name + ": links");
    }
    for (const auto& name : {L"up.txt", L"a-b", L"b"}) Check(Links(name) == 0, "best fit made");

    Check(Links(L"planted.txt") == 0, "a DLL beside the program was loaded");
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}

// The shipped program under Wine, as a user meets it, in the locale this check
// was started in, started as Explorer starts it, with a UTF-16 command line:
// each box read back as the UTF-16 text a person sees (caption and text) and
// closed, hard links made for real, at the typed name where Windows rewrote a
// path on the way to the ANSI command line and nowhere else, long paths, a
// refused junction taken back, exit status 0, no box and no window where
// nobody can see one, no DLL loaded from the program's own folder, and the
// program's step through a command line equal to CharNextA's.
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

// The boxes as a person reads them, as this check reports them.
std::wstring UsageNote(const std::wstring& name) {
    return L"box ジャンクション 又は ハードリンクの作成\n【書式】" + name + L" [src] [dst]\n";
}
std::wstring ErrorBox(const std::wstring& src, const std::wstring& dst) {
    return L"box 無念\n作成できませんでした.\r\n\r\n元：" + src + L"\r\n先：" + dst + L"\n";
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3 + 1, '\0');
    bytes.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0],
                            static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

// Counts the windows of a desktop.
BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    return ++*reinterpret_cast<DWORD*>(count), TRUE;
}

// Starts `exe` with exactly this command line, as a Unicode program starts
// it or, `ansi`, as an ANSI program does with the code page's bytes, reads
// each box it shows as the UTF-16 text a person sees and closes it, and gives
// up on it after a minute. Says what it saw and the status. Started, `unseen`,
// on a desktop of a window station without a display, as a scheduled task or
// a service gets it, it says how many windows that desktop had while it ran,
// and is given 10 s. That station is made the first time, from inside it,
// and this check stays in it: such runs come last.
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
    std::string bytes(commandLine.size() * 3 + 1, '\0'), path(exe.begin(), exe.end());
    WideCharToMultiByte(CP_ACP, 0, commandLine.c_str(), -1, &bytes[0],
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    if (!(ansi ? CreateProcessA(path.c_str(), &bytes[0], nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, reinterpret_cast<STARTUPINFOA*>(&startup), &process)
               : CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process)))
        return L"not started";
    std::wstring seen;
    HWND box = nullptr;
    DWORD windows = 0;
    const ULONGLONG started = GetTickCount64();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() - started > (unseen ? 10000 : 60000))
            TerminateProcess(process.hProcess, 1);
        if (unseen) EnumDesktopWindows(unseen, CountWindow, reinterpret_cast<LPARAM>(&windows));
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
    if (windows != 0) seen += std::to_wstring(windows) + L" windows\n";
    return seen + L"exit " + std::to_wstring(status);
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
    // backslash is a character too; UTF-8 has them all. A case for one code page
    // only starts with "-" in the others, and is skipped there.
    const bool japanese = codePage != "1252";
    const std::wstring dir = japanese ? L"表" : L"café", other = japanese ? L"ソ" : L"ï",
                       wide = japanese ? L"＼" : L"", yotei = L"予定表.exe",
                       only932 = codePage == "932" ? L"" : L"-",
                       only1252 = codePage == "1252" ? L"" : L"-";
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
    CreateDirectoryA("downloads", nullptr);
    CopyFileA(argv[1], "downloads\\maker.exe", TRUE);
    CopyFileA(argv[4], "downloads\\imm32.dll", TRUE),
        CopyFileA(argv[4], "downloads\\version.dll", TRUE);
    CopyFileW(tolvik.c_str(), yotei.c_str(), TRUE);
    // Folders more than 300 units deep, made through the wide calls with \\?\.
    std::wstring deep = L"\\\\?\\" + here + L"\\";
    for (int level = 0; level < 3; ++level, deep += L'\\')
        CreateDirectoryW((deep += std::wstring(99, L'd')).c_str(), nullptr);
    Links(deep + L"a.txt", OPEN_ALWAYS), Links(deep + lacked + L".txt", OPEN_ALWAYS);

    const struct {
        std::wstring exe, commandLine, boxes;
        std::wstring path;  // afterwards, it has this many names (0: none)
        DWORD links;
        bool ansi = false;    // started with ANSI bytes
        bool unseen = false;  // where nobody can see a box
    } cases[] = {
        {L"downloads\\maker.exe", L"other.exe only", UsageNote(L"maker.exe"), L"", 0},
        // Found by its ANSI path where the code page carries it, as Windows
        // holds it elsewhere; with an English thread locale, 932's second
        // bytes are taken for backslashes.
        {yotei, L"x", UsageNote(codePage == "932" && language == "en" ? L".exe" : yotei), L"", 0},
        {tolvik, L"t \"" + here + L"\\a.txt\" \"" + here + L"\\b c.txt\"", L"", L"b c.txt", 2},
        // A third name, relative to here; what the code page lacks may
        // stand in the program's own token and after the second argument.
        {tolvik, L"한 a.txt link.txt 한", L"", L"link.txt", 3},
        {tolvik, L"t " + dir + L"\\" + other + L".txt " + dir + L"\\" + other + wide + other, L"",
         dir + L"\\" + other + wide + other, 2, true},
        {L"downloads\\maker.exe", L"t " + dir + L"\\none " + dir + L"\\new",
         ErrorBox(dir + L"\\none", dir + L"\\new"), dir + L"\\new", 0},
        // A.txt has a fourth name, then a fifth.
        {tolvik, L"t " + src + L" new.txt", L"", L"new.txt", 2},
        {tolvik, L"t a.txt " + up, L"", up, 4},
        {only932 + tolvik, L"t a.txt a\u00ADb", L"", L"a\u00ADb", 5},
        {only1252 + tolvik, L"t a.txt b\u3000c.txt", L"", L"b\u3000c.txt", 5},
        {only1252 + tolvik, L"t ＂a b＂", L"", L"b＂", 2},
        // One argument typed, or none, however the ANSI line splits it: the
        // usage note, nothing made.
        {only1252 + tolvik, L"t \"a＂ b\"", UsageNote(L"tolvik.exe"), L"", 0},
        {only1252 + tolvik, L"t a.txt\u3000b.txt", UsageNote(L"tolvik.exe"), L"b.txt", 0},
        {only1252 + tolvik, L"t\u3000a.txt\u3000b.txt", UsageNote(L"tolvik.exe"), L"b.txt", 0},
        {tolvik, L"t " + lacked + L"\\😀.txt " + made, L"", made, 2},
        {tolvik, L"t a.txt " + made, ErrorBox(L"a.txt", made), made, 2},
        {tolvik, L"t a.txt old.txt", ErrorBox(L"a.txt", L"old.txt"), L"old.txt", 1},
        // This Wine refuses every junction, so the directory made for it goes again.
        {tolvik, L"t folder link", ErrorBox(L"folder", L"link"), L"link", 0},
        {tolvik, L"t " + dir + L" " + dir + L"\\" + other, ErrorBox(dir, dir + L"\\" + other),
         dir + L"\\" + other, 0, true},
        // Past MAX_PATH, written with \\?\: the wide calls, with every character
        // in the code page or not.
        {tolvik, L"t " + deep + L"a.txt " + deep + L"b.txt", L"", deep + L"b.txt", 2},
        {tolvik, L"t " + deep + L"a.txt " + deep + L"c.txt", L"", deep + L"c.txt", 3, true},
        {tolvik, L"t " + deep + lacked + L".txt " + deep + L"d.txt", L"", deep + L"d.txt", 2},
        // Where nobody can see a box: none, no window at all, and the run ends at once.
        {tolvik, L"t", L"", L"", 0, false, true},
        {tolvik, L"t none.txt hidden.txt", L"", L"hidden.txt", 0, false, true},
        {tolvik, L"t old.txt hidden.txt", L"", L"hidden.txt", 2, false, true}};
    for (const auto& c : cases) {
        if (c.exe[0] == L'-') continue;
        const std::wstring seen = Run(c.exe, c.commandLine, c.ansi, c.unseen);
        const std::string name = std::to_string(&c - cases);
        Check(seen == c.boxes + L"exit 0", "case " + name + ": " + Utf8(seen));
        if (!c.path.empty()) Check(Links(c.path) == c.links, "case " + name + ": links");
    }
    for (const auto& name : {L"up.txt", L"a-b", L"b"}) Check(Links(name) == 0, "best fit made");

    Check(Links(L"planted.txt") == 0, "a DLL beside the program was loaded");
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}

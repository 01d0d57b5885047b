// Starts a program with an exact command-line byte string, reads the message
// box it opens (caption, text and which standard icon it shows), closes the
// box and reports what the program wrote and its exit status.
//
//   tolvik_probe <program> <command line as hex bytes> [time limit in ms]
//   tolvik_probe --batch <case file> [time limit in ms]
//   tolvik_probe --show <ms> <program> <command line as hex bytes>
//
// A case file holds one run per line: a label, the program path as hex bytes
// and the command line as hex bytes ("-" for an empty one), separated by
// blanks, optionally followed by a time limit of its own and the word "hold",
// which leaves the box open (to see the time limit at work). --show moves the box to the screen's
// corner, prints "rect <left> <top> <width> <height>" and leaves it there for
// the given time before closing it, so that a picture can be taken.
//
// For each run it prints "run <label>" (batch only), then for each box
// "box", "caption <hex>", "text <hex>" and "icon <name>" (hand, asterisk,
// exclamation, question, none or unknown),
// then "stdout <hex>", "stderr <hex>" and "exit <status>". A program that has
// not ended within the time limit is ended and "timeout" is printed instead of
// the exit status; the probe then exits with status 2 once all runs are done.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultLimitMs = 20000;
constexpr DWORD kPollMs = 20;
constexpr int kIconAttempts = 40;  // the box may not be painted yet

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const char pair[3] = {hex[i], hex[i + 1], '\0'};
        bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
    }
    return bytes;
}

void PrintHex(const char* label, const std::string& bytes) {
    std::printf("%s ", label);
    for (const char byte : bytes) std::printf("%02X", static_cast<unsigned char>(byte));
    std::printf("\n");
}

// --- Finding the box ------------------------------------------------------

struct BoxSearch {
    DWORD processId;
    const std::vector<HWND>* seen;
    HWND box;
};

bool IsDialog(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "#32770") == 0;
}

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || !IsDialog(window)) return TRUE;
    for (const HWND seen : *search->seen) {
        if (seen == window) return TRUE;  // closed already, on its way out
    }
    search->box = window;
    return FALSE;
}

BOOL CALLBACK FindIconControl(HWND child, LPARAM parameter) {
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    const auto style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    if (_stricmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(parameter) = child;
        return FALSE;
    }
    return TRUE;
}

// --- Which standard icon is on the screen --------------------------------
//
// Icon handles of another process cannot be compared here, so the pixels
// under the box's icon control are read from the screen and compared with
// the standard icons drawn on the same background.

class Pixels {
  public:
    Pixels(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    ~Pixels() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    bool ok() const { return bitmap_ != nullptr && bits_ != nullptr; }
    DWORD At(int x, int y) const {
        GdiFlush();
        return static_cast<const DWORD*>(bits_)[y * width_ + x] & 0xFFFFFFu;
    }
    bool SameAs(const Pixels& other) const {
        GdiFlush();
        const auto* mine = static_cast<const DWORD*>(bits_);
        const auto* theirs = static_cast<const DWORD*>(other.bits_);
        for (int i = 0; i < width_ * height_; ++i) {
            if ((mine[i] & 0xFFFFFFu) != (theirs[i] & 0xFFFFFFu)) return false;
        }
        return true;
    }

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

bool LooksLike(const Pixels& screen, int width, int height, LPCSTR standardIcon) {
    Pixels drawn(width, height);
    if (!drawn.ok()) return false;
    const DWORD background = screen.At(0, 0);  // a corner the icon leaves clear
    HBRUSH brush =
        CreateSolidBrush(RGB(background >> 16, (background >> 8) & 0xFF, background & 0xFF));
    RECT all{0, 0, width, height};
    FillRect(drawn.dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn.dc(), 0, 0, LoadIconA(nullptr, standardIcon), 0, 0, 0, nullptr, DI_NORMAL);
    return screen.SameAs(drawn);
}

const char* IconOf(HWND box) {
    HWND control = nullptr;
    EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&control));
    if (control == nullptr) return "none";
    // A box with a long text can be wider than the screen.
    SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    for (int attempt = 0; attempt < kIconAttempts; ++attempt) {
        Sleep(kPollMs);
        RECT rect{};
        GetWindowRect(control, &rect);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        if (width <= 0 || height <= 0) continue;
        Pixels screen(width, height);
        if (!screen.ok()) continue;
        HDC desktop = GetDC(nullptr);
        BitBlt(screen.dc(), 0, 0, width, height, desktop, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, desktop);
        if (LooksLike(screen, width, height, IDI_HAND)) return "hand";
        if (LooksLike(screen, width, height, IDI_ASTERISK)) return "asterisk";
        if (LooksLike(screen, width, height, IDI_EXCLAMATION)) return "exclamation";
        if (LooksLike(screen, width, height, IDI_QUESTION)) return "question";
    }
    return "unknown";
}

// --- One run --------------------------------------------------------------

class Pipe {
  public:
    Pipe() {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        CreatePipe(&read_, &write_, &inheritable, 0);
        SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        CloseWriteEnd();
        if (read_ != nullptr) CloseHandle(read_);
    }
    HANDLE writeEnd() const { return write_; }
    void CloseWriteEnd() {
        if (write_ != nullptr) CloseHandle(write_);
        write_ = nullptr;
    }
    // Takes what is there without waiting for more.
    void Drain() {
        DWORD available = 0;
        while (PeekNamedPipe(read_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char chunk[4096];
            DWORD got = 0;
            if (!ReadFile(read_, chunk, sizeof chunk < available ? sizeof chunk : available, &got,
                          nullptr) ||
                got == 0) {
                return;
            }
            bytes.append(chunk, got);
        }
    }
    std::string bytes;

  private:
    HANDLE read_ = nullptr;
    HANDLE write_ = nullptr;
};

void ReportBox(HWND box) {
    char caption[4096] = {};
    static char text[65536];
    const int captionLength = GetWindowTextA(box, caption, sizeof caption);
    const auto textLength = static_cast<int>(GetDlgItemTextA(box, 0xFFFF, text, sizeof text));
    std::printf("box\n");
    PrintHex("caption", std::string(caption, static_cast<std::size_t>(captionLength)));
    PrintHex("text", std::string(text, static_cast<std::size_t>(textLength)));
    std::printf("icon %s\n", IconOf(box));
}

struct Handling {
    DWORD limitMs = kDefaultLimitMs;
    bool hold = false;  // leave the box open until the time limit
    DWORD showMs = 0;   // leave the box on view this long before closing it
};

void Show(HWND box, DWORD ms) {
    SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    RECT rect{};
    GetWindowRect(box, &rect);
    std::printf("rect %ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    std::fflush(stdout);
    Sleep(ms);
}

// Returns false when the program had to be ended.
bool RunOnce(const std::string& program, std::string commandLine, const Handling& handling) {
    Pipe out;
    Pipe err;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out.writeEnd();
    startup.hStdError = err.writeEnd();
    PROCESS_INFORMATION process{};
    commandLine.push_back('\0');
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::printf("start-failed %lu\n", GetLastError());
        return false;
    }
    out.CloseWriteEnd();
    err.CloseWriteEnd();

    std::vector<HWND> seen;
    const DWORD started = GetTickCount();
    bool ended = true;
    for (;;) {
        const bool exited = WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0;
        out.Drain();
        err.Drain();
        if (exited) break;
        BoxSearch search{process.dwProcessId, &seen, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.box != nullptr) {
            ReportBox(search.box);
            seen.push_back(search.box);
            if (handling.showMs > 0) Show(search.box, handling.showMs);
            if (!handling.hold) PostMessageA(search.box, WM_COMMAND, IDOK, 0);
        }
        if (GetTickCount() - started > handling.limitMs) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            ended = false;
            break;
        }
    }
    PrintHex("stdout", out.bytes);
    PrintHex("stderr", err.bytes);
    if (ended) {
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        std::printf("exit %lu\n", status);
    } else {
        std::printf("timeout\n");
    }
    std::fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

int RunBatch(const char* caseFile, DWORD limit) {
    FILE* file = std::fopen(caseFile, "r");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", caseFile);
        return 64;
    }
    bool allEnded = true;
    static char line[65536];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        char label[256] = {};
        static char program[8192];
        static char commandLine[32768];
        unsigned long ownLimit = 0;
        char flag[16] = {};
        const int words = std::sscanf(line, "%255s %8191s %32767s %lu %15s", label, program,
                                      commandLine, &ownLimit, flag);
        if (words < 3) continue;
        Handling handling;
        handling.limitMs = words >= 4 ? static_cast<DWORD>(ownLimit) : limit;
        handling.hold = words == 5 && std::strcmp(flag, "hold") == 0;
        std::printf("run %s\n", label);
        const std::string bytes = std::strcmp(commandLine, "-") == 0 ? "" : FromHex(commandLine);
        allEnded = RunOnce(FromHex(program), bytes, handling) && allEnded;
    }
    std::fclose(file);
    return allEnded ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: tolvik_probe <program> <command line hex> [ms]\n"
                     "       tolvik_probe --batch <case file> [ms]\n"
                     "       tolvik_probe --show <ms> <program> <command line hex>\n");
        return 64;
    }
    const DWORD limit = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : kDefaultLimitMs;
    if (std::strcmp(argv[1], "--batch") == 0) return RunBatch(argv[2], limit);
    Handling handling;
    if (std::strcmp(argv[1], "--show") == 0) {
        if (argc < 5) return 64;
        handling.showMs = static_cast<DWORD>(std::atoi(argv[2]));
        handling.limitMs = handling.showMs + kDefaultLimitMs;
        return RunOnce(argv[3], FromHex(argv[4]), handling) ? 0 : 2;
    }
    handling.limitMs = limit;
    return RunOnce(argv[1], FromHex(argv[2]), handling) ? 0 : 2;
}

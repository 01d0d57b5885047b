// The portable logic on the real Win32 API (under wine64 here): CharNextA,
// GetLocaleInfoA, GetCPInfo, MultiByteToWideChar, GetFullPathNameW and the
// file-system calls are Windows' own; only the command line, the thread
// locale and the message box are scripted, so that no window opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "links/junction.h"
#include "platform/win32_platform.h"
#include "support/arguments.h"
#include "support/locale.h"

namespace tolvik {
namespace {

class ScriptedWin32 final : public Win32Platform {
  public:
    std::string commandLine = "tolvik.exe";
    DWORD threadLocale = 0;  // 0: the real one
    std::vector<std::string> boxTexts;
    std::vector<std::vector<unsigned char>> requests;

    const char* GetCommandLineA() override { return commandLine.c_str(); }
    std::uint32_t GetThreadLocale() override {
        return threadLocale != 0 ? threadLocale : Win32Platform::GetThreadLocale();
    }
    bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned,
                         void* overlapped) override {
        const auto* bytes = static_cast<const unsigned char*>(in);
        requests.emplace_back(bytes, bytes + inSize);
        return Win32Platform::DeviceIoControl(device, code, in, inSize, out, outSize, bytesReturned,
                                              overlapped);
    }
    int MessageBoxA(void*, const char* text, const char*, std::uint32_t) override {
        boxTexts.emplace_back(text);
        return IDOK;
    }
};

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

// A scratch folder of the test's own, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder() {
        static int count = 0;
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "tolvik-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++count);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD LinkCount(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return info.nNumberOfLinks;
}

TEST(RealWin32, RunsInTheCodePageItWasStartedFor) {
    // Wine takes the ANSI code page from LANG; a missing locale would quietly
    // give another one and skip the double-byte cases below.
    const char* expected = std::getenv("TOLVIK_EXPECT_ACP");
    if (expected == nullptr) GTEST_SKIP() << "no code page expected";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}

TEST(RealWin32, CharNextAKeepsTheSplittingRules) {
    // The same rules as on the test double, now with Windows' own CharNextA
    // in whatever ANSI code page this process has.
    struct Case {
        std::string line;
        std::vector<std::string> expected;
    };
    std::vector<Case> cases = {
        {"t.exe a\tb", {"a", "b"}},
        {"t.exe \"C:\\My Data\" D:\\link", {"C:\\My Data", "D:\\link"}},
        {"t.exe a\"b c\"d a\"\"b", {"ab cd", "ab"}},
        {"t.exe \"C:\\My Dir\\\" D:\\x", {"C:\\My Dir\\", "D:\\x"}},
        {"t.exe a \"\" \"b", {"a", "b"}},
        {"t.exe \"", {}},
    };
    if (GetACP() == 932) {
        cases.push_back(
            {"t.exe \x97\x5C\x92\xE8 \x81 x a\x81", {"\x97\x5C\x92\xE8", "\x81 x", "a\x81"}});
    } else {
        cases.push_back({"t.exe \x97\x5C\x92\xE8 \x81 x", {"\x97\x5C\x92\xE8", "\x81", "x"}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ScriptedWin32 platform;
        platform.commandLine = c.line;
        ASSERT_EQ(ArgumentCount(platform), static_cast<std::int32_t>(c.expected.size()));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(std::string(ArgumentAt(platform, static_cast<std::int32_t>(i + 1)).view()),
                      c.expected[i]);
        }
    }
}

TEST(RealWin32, StepMatchesCharNextAForEveryBytePair) {
    // The program steps through its command line without USER32; it must land
    // where Windows' own CharNextA lands, for every byte string.
    ScriptedWin32 platform;
    int mismatches = 0;
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            const char text[] = {static_cast<char>(first), static_cast<char>(second), 'a', '\0'};
            for (int start = 0; start < 2; ++start) {
                const char* ours = platform.CharNextA(text + start);
                const char* windows = ::CharNextA(text + start);
                if (ours != windows && ++mismatches <= 5) {
                    ADD_FAILURE() << std::hex << "bytes " << first << " " << second << " from "
                                  << start << ": " << (ours - text) << " vs " << (windows - text);
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // And the code page really is a double-byte one where it should be.
    const char pair[] = "\x81\x40";
    EXPECT_EQ(::CharNextA(pair) - pair, GetACP() == 932 ? 2 : 1);
}

TEST(RealWin32, ArgumentZeroIsThisProgram) {
    ScriptedWin32 platform;
    char expected[MAX_PATH];
    GetModuleFileNameA(nullptr, expected, MAX_PATH);
    EXPECT_EQ(std::string(ArgumentAt(platform, 0).view()), expected);
}

TEST(RealWin32, LeadBytesOfRealCodePages) {
    struct Case {
        DWORD locale;
        bool empty;
        std::vector<unsigned> leads, notLeads;
    };
    const Case cases[] = {
        {0x409, true, {}, {}},
        {0x419, true, {}, {}},                                               // 1251
        {0x411, false, {0x81, 0x9F, 0xE0, 0xFC}, {0x80, 0xA0, 0xDF, 0xFD}},  // 932
        {0x804, false, {0x81, 0xFE}, {0x80, 0xFF}},                          // 936
        {0x412, false, {0x81, 0xFE}, {0x80, 0xFF}},                          // 949
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        ScriptedWin32 platform;
        platform.threadLocale = c.locale;
        const SystemLocale locale = InitSystemLocale(platform);
        EXPECT_EQ(locale.leadBytes.Empty(), c.empty);
        for (unsigned byte : c.leads)
            EXPECT_TRUE(locale.leadBytes.Has(static_cast<char>(byte))) << byte;
        for (unsigned byte : c.notLeads)
            EXPECT_FALSE(locale.leadBytes.Has(static_cast<char>(byte))) << byte;
    }
}

TEST(RealWin32, HardLinkMadeAndErrorBoxForMissingSource) {
    ScratchFolder scratch;
    const std::string source = scratch / "source.txt";
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    ScriptedWin32 platform;
    platform.commandLine = "tolvik.exe \"" + source + "\" \"" + (scratch / "link one.txt") + "\"";
    RunLinkMaker(platform);
    EXPECT_TRUE(platform.boxTexts.empty());
    EXPECT_EQ(LinkCount(scratch / "link one.txt"), 2u);

    platform.commandLine = "tolvik.exe \"" + (scratch / "none") + "\" \"" + (scratch / "x") + "\"";
    RunLinkMaker(platform);
    ASSERT_EQ(platform.boxTexts.size(), 1u);
    EXPECT_NE(platform.boxTexts[0].find("\x8C\xB3\x81\x46" + (scratch / "none") + "\r\n"),
              std::string::npos);
    EXPECT_FALSE(Exists(scratch / "x"));
}

TEST(RealWin32, RefusedJunctionLeavesNoDirectory) {
    // This Wine refuses FSCTL_SET_REPARSE_POINT, which puts the cleanup after
    // a refused record to work on a real file system.
    ScratchFolder scratch;
    const std::string source = scratch / "data";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((scratch / "existing").c_str(), nullptr));

    ScriptedWin32 platform;
    if (!MakeJunction(platform, source, scratch / "link")) {
        EXPECT_FALSE(Exists(scratch / "link"));
    }
    // A directory that was there before is left alone.
    EXPECT_FALSE(MakeJunction(platform, source, scratch / "existing"));
    EXPECT_TRUE(Exists(scratch / "existing"));
    EXPECT_FALSE(MakeJunction(platform, source, scratch / "no\\parent"));
    EXPECT_FALSE(Exists(scratch / "no"));
}

TEST(RealWin32, RelativeSourceBecomesAFullTarget) {
    ScratchFolder scratch;
    ASSERT_TRUE(CreateDirectoryA((scratch / "data").c_str(), nullptr));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));

    ScriptedWin32 platform;
    MakeJunction(platform, "data", "link");
    SetCurrentDirectoryA(previous);

    ASSERT_EQ(platform.requests.size(), 1u);
    const std::vector<unsigned char>& request = platform.requests[0];
    std::string name;  // the substitute name, narrowed: the scratch path is ASCII
    const std::size_t length = request.at(10) | request.at(11) << 8;
    for (std::size_t i = 0; i < length; i += 2) name += static_cast<char>(request.at(16 + i));
    EXPECT_EQ(name, "\\??\\" + (scratch / "data"));
    EXPECT_EQ(request.size(), length + 20);
}

}  // namespace
}  // namespace tolvik

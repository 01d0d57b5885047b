// The program's logic against the scripted platform: the command line, the
// locale's lead bytes and the display name; the choice between the two kinds
// of link and who sees a box; the junction's record and calls. What only a
// double can show, as Wine refuses every junction and answers every call
// kindly.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "app/dispatch.h"
#include "links/junction.h"
#include "scripted_platform.h"
#include "support/arguments.h"
#include "support/locale.h"

namespace tolvik {
namespace {

using testing::ScriptedPlatform;

// Every line of the fuzz target's corpus, each named for the rule it shows, is
// split as the rules say (fuzz/command_line_fuzzer.cpp).
TEST(CommandLine, SplitsTheCorpusByTheRules) {
    const auto corpus =
        std::filesystem::path(__FILE__).parent_path() / "../fuzz/corpus/command_line";
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string line(std::istreambuf_iterator<char>(file), {});
        EXPECT_TRUE(testing::SplitsByTheRules(line)) << entry.path();
    }
}

TEST(CommandLine, ArgumentZeroIsTheExecutablesPath) {
    // A path longer than the 261-byte buffer.
    const std::string path = "C:\\" + std::string(300, 'x');
    struct Case {
        bool fails = false, cutAsXp = false;  // cut without terminator
        std::string text;
    };
    // clang-format off
    const Case cases[] = {{.fails = true, .text = ""}, {.text = path.substr(0, 260)},
                          {.cutAsXp = true, .text = path.substr(0, 261)}};
    // clang-format on
    for (const Case& c : cases) {
        ScriptedPlatform platform;
        platform.moduleFileName = path, platform.cutAsXp = c.cutAsXp;
        if (c.fails) platform.Fail("GetModuleFileNameA");
        EXPECT_EQ(ArgumentAt(platform, 0).view(), c.text);
    }
}

// The marked bytes as ranges, e.g. "81-9F E0-FC".
std::string Ranges(const LeadByteSet& set) {
    std::string text;
    for (unsigned low = 0, high = 0; low < 256; low = high + 1) {
        const bool marked = set.Has(static_cast<char>(low));
        for (high = low; high < 255 && set.Has(static_cast<char>(high + 1)) == marked;) ++high;
        char range[8];
        std::snprintf(range, sizeof range, "%02X-%02X ", low, high);
        if (marked) text += range;
    }
    return text;
}

// The lead bytes of the thread locale's code page, which the double answers
// for 932, 950 and 1252 alone: whichever code page is asked for shows.
TEST(Locale, LeadBytesOfTheThreadLocale) {
    const char* const japanese = "81-9F E0-FC ";
    struct Case {
        std::uint32_t locale, acp = 1252;  // the thread's and the system's
        const char* codePage;              // GetLocaleInfoA's answer
        const char* failing = "";
        const char* leadBytes = "";
    };
    // clang-format off
    const Case cases[] = {
        {.locale = 0x411, .codePage = "932", .leadBytes = japanese},
        // English, which 0 stands for, is not asked; a language not known to be without lead
        // bytes asks its locale: Urdu (0x20), past the list, and Arabic (1, neutral).
        {.locale = 0, .acp = 932, .codePage = "932"}, {.locale = 0x420, .codePage = "1256"},
        {.locale = 1, .codePage = "932", .leadBytes = japanese},
        // 0, like what is no number, is the system's code page.
        {.locale = 0x439, .acp = 932, .codePage = "0", .leadBytes = japanese},
        // A failed answer is not read: the system's code page.
        {.locale = 0x439, .acp = 932, .codePage = "1252", .failing = "GetLocaleInfoA",
         .leadBytes = japanese},
        {.locale = 0x43F, .codePage = "$3A4", .leadBytes = japanese},
        // Failed lead bytes are not read.
        {.locale = 0x411, .acp = 932, .codePage = "932", .failing = "GetCPInfo"},
        // Six ranges, the first from 0, and no end pair.
        {.locale = 0x404, .codePage = "950", .leadBytes = "00-01 03-03 05-05 07-07 09-09 0B-0B "}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        ScriptedPlatform platform;
        platform.threadLocale = c.locale, platform.acp = c.acp;
        if (*c.failing) platform.Fail(c.failing);
        platform.codePageText[c.locale] = c.codePage;
        platform.leadBytes[950] = {0, 1, 3, 3, 5, 5, 7, 7, 9, 9, 0xB, 0xB};
        EXPECT_EQ(Ranges(InitSystemLocale(platform).leadBytes), c.leadBytes);
    }
}

TEST(Locale, IntegerOrDefault) {
    struct Number {
        const char* text;
        std::int32_t value;
    };
    // clang-format off
    const Number numbers[] = {
        {.text = "932", .value = 932}, {.text = "  +7", .value = 7}, {.text = "0x9f", .value = 159},
        {.text = "X1a", .value = 26}, {.text = "$FFFFFFFF", .value = -1},
        {.text = "$000000001", .value = 1}, {.text = "-2147483648", .value = INT_MIN}};
    // clang-format on
    for (const auto& [text, value] : numbers) EXPECT_EQ(IntegerOrDefault(text, -7), value) << text;
    // No number, or not in 32 bits; the neighbours of the digits.
    for (const char* text : {"", "93a", "-", "0x", "2147483648", "-2147483649", "$100000000", "/",
                             ":", "$`", "$g", "$@", "$G"})
        EXPECT_EQ(IntegerOrDefault(text, -7), -7) << text;
    // Blanks up to the end of the buffer: nothing past it is read.
    const char blanks[] = {' ', ' '};
    EXPECT_EQ(IntegerOrDefault(std::string_view(blanks, 2), -7), -7);
}

TEST(DisplayName, FileNamePart) {
    struct Case {
        const char* path;
        const char* in932;   // its file name where 932's lead bytes are marked
        const char* in1252;  // and in a code page without lead bytes
    };
    // clang-format off
    const Case cases[] = {
        {.path = "C:tool.exe", .in932 = "tool.exe", .in1252 = "tool.exe"},
        {.path = "", .in932 = "", .in1252 = ""}, {.path = "\\x", .in932 = "x", .in1252 = "x"},
        // 予定表.exe: two of its three characters have a backslash as second byte.
        {.path = "C:\\\x97\x5C\x92\xE8\x95\x5C.exe", .in932 = "\x97\x5C\x92\xE8\x95\x5C.exe",
         .in1252 = ".exe"},
        {.path = "C:\\\x95\x5C", .in932 = "\x95\x5C", .in1252 = ""},
        {.path = "\x95\x5Cx", .in932 = "\x95\x5Cx", .in1252 = "x"},
        {.path = "\x81\x81\\x", .in932 = "x", .in1252 = "x"}};
    // clang-format on
    ScriptedPlatform platform;
    const LeadByteSet japanese =
        InitSystemLocale((platform.threadLocale = 0x411, platform)).leadBytes;
    for (const Case& c : cases) {
        EXPECT_EQ(FileNamePart(japanese, c.path).view(), c.in932) << c.path;
        EXPECT_EQ(FileNamePart(LeadByteSet(), c.path).view(), c.in1252) << c.path;
    }
}

TEST(Text, OutOfMemoryEndsTheProcess) {
    // Out of memory, or a length no memory could hold: the process ends at once.
    EXPECT_EXIT(AnsiText::OfLength(~std::size_t{0} / 4), ::testing::ExitedWithCode(3), "");
    EXPECT_EXIT(AnsiText::OfLength(~std::size_t{0}), ::testing::ExitedWithCode(3), "");
}

// The request for a target: the mount-point tag, ReparseDataLength, Reserved,
// the substitute name at 0, the empty print name past its terminator, then
// the name and both terminators.
std::vector<unsigned char> Request(const std::u16string& target) {
    const auto n = static_cast<char16_t>(target.size() * 2);
    const std::u16string units = std::u16string{3, 0xA000, static_cast<char16_t>(n + 12), 0,
                                                0, n,      static_cast<char16_t>(n + 2),  0} +
                                 target + u'\0' + u'\0';
    const auto* bytes = reinterpret_cast<const unsigned char*>(units.data());  // little-endian
    return std::vector<unsigned char>(bytes, bytes + units.size() * 2);
}

// Where nobody can see a box, none is shown and the status tells what it
// would have said. In session 0, from Windows Vista (6.0) on, nobody sees one;
// Windows XP's session 0 is the console's, Windows 8.1 and later answer 6.2,
// and where Windows cannot say, the box is shown. Nobody is asked after a
// link that was made, and the usage note looks at no path.
TEST(Dispatch, WhereNobodySeesTheBox) {
    constexpr std::uint32_t kWindows81 = 0x23F00206u, kXp = 0x0A280105u;
    struct Run {
        const char* paths = " a b";  // typed after the program's name
        bool made = false;
        const char* unanswered = "";                       // the question Windows cannot answer
        std::uint32_t session = 1, version = 0x17700006u;  // Windows Vista
        int status = 0;
    };
    // clang-format off
    const Run runs[] = {
        {.paths = " a"}, {.made = true}, {},
        {.unanswered = "GetProcessWindowStation"}, {.unanswered = "GetUserObjectInformationW"},
        {.unanswered = "ProcessIdToSessionId", .session = 0},
        {.session = 0, .version = kWindows81, .status = kExitLinkNotMade},
        {.session = 0, .version = kXp}};
    // clang-format on
    for (const Run& run : runs) {
        SCOPED_TRACE(&run - runs);
        ScriptedPlatform platform;
        platform.commandLine += run.paths, platform.session = run.session;
        platform.version = run.version;
        if (!run.made) platform.Fail("CreateHardLinkA");
        if (*run.unanswered) platform.Fail(run.unanswered);
        const bool note = std::strlen(run.paths) < 4;
        EXPECT_EQ(RunLinkMaker(platform), run.status);
        EXPECT_EQ(platform.box.empty(), run.made || run.status != 0);
        // 【書式】 read in 1252, byte by byte, as the double has no table for 932 there.
        EXPECT_EQ(platform.box == u"\u0081y\u008F\u0091\u008E\u00AE\u0081ztolvik.exe [src] [dst]",
                  note && run.status == 0);
        EXPECT_EQ(platform.Calls({"GetProcessWindowStation", "ProcessIdToSessionId"}),
                  run.made ? 0u : 2u);
        EXPECT_EQ(platform.Calls({"GetFileAttributesA", "GetFileAttributesW"}), note ? 0u : 1u);
    }
}

// A path of MAX_PATH units or more, whatever its bytes (＼ is two in 932),
// sends both paths to the wide calls as typed, which take it with \\?\ and,
// long paths being off, refuse it without; a junction's directory refused
// there leaves nothing.
TEST(Dispatch, LongPaths) {
    std::string verbatim = "\\\\?\\C:\\", plain = "C:\\" + std::string(257, 'd');
    for (int unit = 0; unit < 253; ++unit) verbatim += "\x81\x5F";  // 260 units
    struct Run {
        std::string src, dst;
        bool directory = false;
        std::u16string volume = u"";
    };
    const Run runs[] = {
        {.src = "F",
         .dst = verbatim,
         .volume = u"\\\\?\\C:\\" + std::u16string(253, u'＼') + u": hard link to F"},
        {.src = plain, .dst = "L"},
        {.src = "D", .dst = plain, .directory = true}};
    for (const Run& run : runs) {
        ScriptedPlatform platform;
        platform.acp = 932, platform.commandLine = "t " + run.src + " " + run.dst;
        platform.attributes = run.directory ? kFileAttributeDirectory : 0x20;
        RunLinkMaker(platform);
        EXPECT_EQ(platform.Volume(), run.volume);
        EXPECT_EQ(platform.box.empty(), !run.volume.empty());
    }
}

// The order Windows needs: the directory made, opened as a reparse point for
// writing, the record set and the handle closed. Then each call failed in
// turn: no junction, nothing left on the volume (the directory is removed
// only once its handle is closed), nothing created in the name of a path that
// was not converted, and the handle closed exactly when it was opened. A
// handle that does not close, once the record is in, changes nothing.
TEST(Junction, EachFailingCallTakesBackWhatWasMade) {
    ScriptedPlatform good;
    ASSERT_TRUE(MakeJunction(good, "C:\\data", "D:\\link"));
    using Log = std::vector<std::string>;
    EXPECT_EQ(Log(std::find(good.log.begin(), good.log.end(), "CreateDirectoryW"), good.log.end()),
              Log({"CreateDirectoryW", "CreateFileW", "DeviceIoControl", "CloseHandle"}));
    std::map<std::string, int> seen;
    for (const auto& call : good.log) {
        const int occurrence = ++seen[call];
        SCOPED_TRACE(call + " " + std::to_string(occurrence));
        ScriptedPlatform platform;
        platform.Fail(call, occurrence);
        const bool made = MakeJunction(platform, "C:\\data", "D:\\link");
        EXPECT_EQ(made, call == "CloseHandle");
        EXPECT_EQ(platform.Volume(), made ? good.Volume() : u"");
        EXPECT_EQ(platform.Calls({"CreateDirectoryW"}), seen.count("CreateDirectoryW"));
        EXPECT_EQ(platform.Calls({"CloseHandle"}), seen.count("DeviceIoControl"));
    }
}

TEST(Junction, TargetIsTheFullPathInItsNtForm) {
    struct Case {
        std::u16string fullPath;      // what Windows makes of the source
        std::uint32_t sizeSlack = 0;  // how much larger than needed its size answer is
        int growths = 0;              // how often it grows between two answers
        const char* src = "data";
        std::u16string target = u"";  // empty: no junction
    };
    const std::u16string n260(260, u'n'), data = u"\\??\\C:\\data";
    // clang-format off
    const Case cases[] = {
        {.fullPath = u"\\\\.\\C:\\data", .target = data},
        // Windows sizes .\data, ..\data and C:\x\..\data before shortening them.
        {.fullPath = u"C:\\data", .sizeSlack = 1, .target = data},
        {.fullPath = u"\\\\server\\share\\data", .target = u"\\??\\UNC\\server\\share\\data"},
        // The current directory changes between the calls: asked again, four calls at most.
        {.fullPath = u"C:\\data", .growths = 2, .target = data + u"xx"},
        {.fullPath = u"C:\\data", .growths = 3},
        {.fullPath = u"C:\\" + n260, .target = u"\\??\\C:\\" + n260},
        {.fullPath = u"C:\\" + n260 + u'n'},  // 268 units: refused
        // Taken as written, as Windows examines them: nothing trimmed, no drive.
        {.fullPath = u"\\\\?\\C:\\t\\data", .src = "\\\\?\\C:\\t\\data. ",
         .target = u"\\??\\C:\\t\\data. "},
        {.fullPath = u"C:\\??\\C:\\t", .src = "\\??\\C:\\t", .target = u"\\??\\C:\\t"}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fullPath.size());
        ScriptedPlatform platform;
        platform.fullPath = c.fullPath, platform.sizeSlack = c.sizeSlack,
        platform.growths = c.growths;
        EXPECT_EQ(MakeJunction(platform, c.src, "L"), !c.target.empty());
        // No request for no junction, and nothing left.
        EXPECT_EQ(platform.request,
                  c.target.empty() ? std::vector<unsigned char>() : Request(c.target));
        EXPECT_EQ(platform.Volume().empty(), c.target.empty());
    }
}

}  // namespace
}  // namespace tolvik

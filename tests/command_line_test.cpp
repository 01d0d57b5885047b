// The command line, the locale's lead bytes and the display name, against the
// scripted platform.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

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
        EXPECT_TRUE(
            testing::SplitsByTheRules(std::string(std::istreambuf_iterator<char>(file), {})))
            << entry.path();
    }
}

TEST(CommandLine, ArgumentZeroIsTheExecutablesPath) {
    // A path longer than the 261-byte buffer.
    const std::string path = "C:\\" + std::string(300, 'x');
    struct Case {
        bool fails = false, cutAsXp = false;  // cut without terminator
        std::string text;
    };
    const Case cases[] = {{.fails = true, .text = ""},
                          {.text = path.substr(0, 260)},
                          {.cutAsXp = true, .text = path.substr(0, 261)}};
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
        // English, which 0 stands for, and a language id of 0: the locale is not asked.
        {.locale = 0, .acp = 932, .codePage = "932"}, {.locale = 0x800, .acp = 932, .codePage = "932"},
        // 0, like what is no number, is the system's code page.
        {.locale = 0x439, .acp = 932, .codePage = "0", .leadBytes = japanese},
        // A failed answer is not read: the system's code page.
        {.locale = 0x439, .acp = 932, .codePage = "1252", .failing = "GetLocaleInfoA", .leadBytes = japanese},
        {.locale = 0x43F, .codePage = "$3A4", .leadBytes = japanese},
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

}  // namespace
}  // namespace tolvik

// The command line, the locale's lead bytes and the display name, against the
// scripted platform.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

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
    // A path longer than the 261-byte buffer: the failing call, cut as Windows
    // XP cuts it (no terminator), the text.
    const std::string path = "C:\\" + std::string(300, 'x');
    for (const auto& [failing, xp, expected] : {std::tuple{std::size_t{0}, false, std::string()},
                                                {9, false, path.substr(0, 260)},
                                                {9, true, path.substr(0, 261)}}) {
        ScriptedPlatform platform;
        platform.moduleFileName = path, platform.failingCall = failing, platform.cutAsXp = xp;
        EXPECT_EQ(ArgumentAt(platform, 0).view(), expected);
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

TEST(Locale, LeadBytesOfTheThreadLocale) {
    const char* const japanese = "81-9F E0-FC ";
    // The thread locale, the system's code page, GetLocaleInfoA's answer, the
    // failing call, the locale id and primary language, the code page whose
    // lead bytes are asked for (null: none), the lead bytes.
    // clang-format off
    const std::tuple<std::uint32_t, std::uint32_t, const char*, std::size_t, std::uint32_t,
                     std::uint32_t, const char*, const char*> cases[] = {
        {0x411, 1252, "932", 9, 0x411, 0x11, "3A4", japanese},
        {0x420, 1256, "1256", 9, 0x420, 0x20, "4E8", ""},
        {0, 932, "932", 9, 0x409, 0x09, nullptr, ""},
        {0x10000, 932, "932", 9, 0x10000, 0x09, nullptr, ""},  // a language id of 0
        {0x800, 932, "932", 9, 0x800, 0x00, nullptr, ""},
        {0x439, 932, "0", 9, 0x439, 0x39, "0", japanese},  // 0 is the system's code page
        {0x439, 932, "x", 9, 0x439, 0x39, "3A4", japanese},
        {0x439, 1252, "1252", 0, 0x439, 0x39, "4E4", ""},  // the answer is not read
        {0x411, 932, "932", 1, 0x411, 0x11, "3A4", ""},    // nor the lead bytes
        {0x43F, 1252, "$3A4", 9, 0x43F, 0x3F, "3A4", japanese},
        {0x404, 1252, "950", 9, 0x404, 0x04, "3B6", "00-01 03-03 05-05 07-07 09-09 0B-0B "},
        {0x412, 1252, "949", 9, 0x412, 0x12, "3B5", "A0-A1 "}};
    // clang-format on
    for (const auto& [threadLocale, acp, codePageText, failing, localeId, language, asked,
                      leadBytes] : cases) {
        SCOPED_TRACE(threadLocale);
        ScriptedPlatform platform;
        platform.threadLocale = threadLocale, platform.acp = acp, platform.failingCall = failing;
        platform.codePageText[threadLocale] = codePageText;
        // Six ranges, the first from 0, and no end pair; a reversed pair, then the end pair.
        platform.leadBytes[950] = {0, 1, 3, 3, 5, 5, 7, 7, 9, 9, 0xB, 0xB};
        platform.leadBytes[949] = {0x90, 0x80, 0xA0, 0xA1, 0, 0, 0xB0, 0xB0};
        const SystemLocale locale = InitSystemLocale(platform);
        EXPECT_EQ(locale.info.LocaleId, localeId);
        EXPECT_EQ(locale.info.PrimaryLanguage, language);
        char question[64] = "";
        if (asked)
            std::snprintf(question, sizeof question, "GetLocaleInfoA %X 1004 7", threadLocale);
        const testing::Log calls = {question, "GetCPInfo " + std::string(asked ? asked : "")};
        EXPECT_EQ(platform.log, asked ? calls : testing::Log());
        EXPECT_EQ(Ranges(locale.leadBytes), leadBytes);
    }
}

TEST(Locale, IntegerOrDefault) {
    // clang-format off
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"932", 932}, {" 1252", 1252}, {"  +7", 7}, {"-12", -12}, {"012", 12}, {"0", 0},
        {"$1a", 26}, {"x1A", 26}, {"X1a", 26}, {"0X1a", 26}, {"0x9f", 159}, {"$FFFFFFFF", -1},
        {"$000000001", 1}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}};
    // clang-format on
    for (const auto& [text, number] : numbers)
        EXPECT_EQ(IntegerOrDefault(text, -7), number) << text;
    for (const char* text :
         {"",     "1252 ", "93a", "-",          "+",           "$",          "0x",
          "-$1A", "+0x10", "1 2", "\t5",        "/",           ":",          "$`",
          "$g",   "$@",    "$G",  "2147483648", "-2147483649", "$100000000", "99999999999"}) {
        EXPECT_EQ(IntegerOrDefault(text, -7), -7) << text;
    }
    // Blanks up to the end of the buffer: nothing past it is read.
    const char blanks[] = {' ', ' '};
    EXPECT_EQ(IntegerOrDefault(std::string_view(blanks, 2), -7), -7);
}

TEST(DisplayName, FileNamePart) {
    // The path, its file name in 932 and in a code page without lead bytes.
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"C:\\bin\\tool.exe", "tool.exe", "tool.exe"}, {"tool.exe", "tool.exe", "tool.exe"},
        {"C:tool.exe", "tool.exe", "tool.exe"}, {"C:\\bin\\", "", ""}, {"", "", ""}, {"\\x", "x", "x"},
        // 予定表.exe: two of its three characters have a backslash as second byte.
        {"C:\\\x97\x5C\x92\xE8\x95\x5C.exe", "\x97\x5C\x92\xE8\x95\x5C.exe", ".exe"},
        {"C:\\\x95\x5C", "\x95\x5C", ""}, {"\x81\x81\\x", "x", "x"}};
    // clang-format on
    ScriptedPlatform platform;
    const LeadByteSet japanese =
        InitSystemLocale((platform.threadLocale = 0x411, platform)).leadBytes;
    for (const auto& [path, name932, name] : cases) {
        EXPECT_EQ(FileNamePart(japanese, path).view(), name932) << path;
        EXPECT_EQ(FileNamePart(LeadByteSet(), path).view(), name) << path;
    }
    // What the display name never asks: a first byte, a zero byte, no byte at all
    // (a lead byte stands before the text).
    using K = ByteKind;
    const std::string_view yo = std::string_view("\x81\x97\x5C").substr(1), zero("\x81\0b", 3);
    // clang-format off
    for (auto [text, position, kind] : {std::tuple{yo, 1, K::KindLead}, {yo, 2, K::KindTrail},
                                        {zero, 2, K::KindSingle}, {yo, 0, K::KindSingle}}) {
        // clang-format on
        EXPECT_EQ(ByteKindAt(japanese, text, position), kind) << position;
    }
}

TEST(Text, OutOfMemoryEndsTheProcess) {
    // Out of memory, or a length no memory could hold: the process ends at once.
    EXPECT_EXIT(AnsiText::OfLength(~std::size_t{0} / 4), ::testing::ExitedWithCode(3), "");
    EXPECT_EXIT(AnsiText::OfLength(~std::size_t{0}), ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace tolvik

#include "support/arguments.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace tolvik {
namespace {

using testing::FakePlatform;
using Arguments = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string commandLine;
    Arguments expected;
    std::uint32_t codePage = 1252;
};

const SplitCase kSplitCases[] = {
    {"blank", "tolvik.exe a b", {"a", "b"}},
    {"tab", "tolvik.exe a\tb", {"a", "b"}},
    {"control bytes and blanks mixed",
     "tolvik.exe \x01 a\x1F\x20\x0D\x0A"
     "b\x02",
     {"a", "b"}},
    {"0x7F is ordinary",
     "tolvik.exe a\x7F"
     "b",
     {"a\x7F"
      "b"}},
    {"bytes from 0x80 are ordinary", "tolvik.exe \x81\xA0\xFF", {"\x81\xA0\xFF"}},
    {"quoted path with a blank",
     "tolvik.exe \"C:\\My Data\" D:\\link",
     {"C:\\My Data", "D:\\link"}},
    {"quotes inside an argument", "tolvik.exe a\"b c\"d", {"ab cd"}},
    {"empty quotes inside an argument", "tolvik.exe a\"\"b", {"ab"}},
    {"backslash before a closing quote",
     "tolvik.exe \"C:\\My Dir\\\" D:\\x",
     {"C:\\My Dir\\", "D:\\x"}},
    {"no closing quote", "tolvik.exe \"a b", {"a b"}},
    {"quote pair between arguments", "tolvik.exe a \"\" b", {"a", "b"}},
    {"quote pair first", "tolvik.exe \"\" a", {"a"}},
    {"quote pairs everywhere", "tolvik.exe \"\"\"\" a\t\"\" \"\"b \"\"", {"a", "b"}},
    {"quoted blank", "tolvik.exe \" \"", {" "}},
    {"quote, blank, end", "tolvik.exe \" ", {" "}},
    {"nothing after the program", "tolvik.exe", {}},
    {"blanks only", "tolvik.exe    \t ", {}},
    {"lone quote", "tolvik.exe \"", {}},
    {"quote pair only", "tolvik.exe \"\"", {}},
    {"program path with a blank", "\"C:\\Program Files\\tool.exe\" a b", {"a", "b"}},
    {"program token glued to a quote", "\"C:\\t.exe\"x y", {"y"}},
    {"double-byte characters",
     "tolvik.exe \x97\x5C\x92\xE8 \x95\x5C",
     {"\x97\x5C\x92\xE8", "\x95\x5C"},
     932},
    {"second byte is a blank", "tolvik.exe \x81 x", {"\x81 x"}, 932},
    {"same bytes, single-byte code page", "tolvik.exe \x81 x", {"\x81", "x"}, 1252},
    {"lead byte right before the end", "tolvik.exe a\x81", {"a\x81"}, 932},
};

TEST(Arguments, SplitsTheCommandLine) {
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.commandLine = c.commandLine;
        platform.systemCodePage = c.codePage;
        const auto count = static_cast<std::int32_t>(c.expected.size());
        ASSERT_EQ(ArgumentCount(platform), count);
        for (std::int32_t i = 1; i <= count; ++i) {
            EXPECT_EQ(std::string(ArgumentAt(platform, i).view()),
                      c.expected[static_cast<std::size_t>(i - 1)])
                << i;
        }
        // No index outside 1..count names an argument.
        EXPECT_TRUE(ArgumentAt(platform, count + 1).empty());
        EXPECT_TRUE(ArgumentAt(platform, count + 5).empty());
        EXPECT_TRUE(ArgumentAt(platform, -1).empty());
        // The extremes are walked like any other index, without overflowing.
        EXPECT_TRUE(ArgumentAt(platform, std::numeric_limits<std::int32_t>::min()).empty());
        EXPECT_TRUE(ArgumentAt(platform, std::numeric_limits<std::int32_t>::max()).empty());
    }
}

TEST(Arguments, EveryByteUpToBlankSeparates) {
    for (int byte = 0x01; byte <= 0x20; ++byte) {
        FakePlatform platform;
        platform.commandLine = std::string("tolvik.exe a") + static_cast<char>(byte) + "b";
        EXPECT_EQ(ArgumentCount(platform), 2) << byte;
    }
}

TEST(Arguments, NextArgumentEndsAtTheSeparator) {
    FakePlatform platform;
    const char* line = "  \"a b\"c  d";
    const SplitArgument first = NextArgument(platform, line);
    EXPECT_EQ(std::string(first.text.view()), "a bc");
    EXPECT_EQ(first.end - line, 8);
    const SplitArgument second = NextArgument(platform, first.end);
    EXPECT_EQ(std::string(second.text.view()), "d");
    EXPECT_EQ(*second.end, '\0');
    // At the end, every further call gives the empty text and stays there.
    const SplitArgument past = NextArgument(platform, second.end);
    EXPECT_TRUE(past.text.empty());
    EXPECT_EQ(past.end, second.end);
}

TEST(Arguments, IndexZeroIsTheExecutablePath) {
    struct Case {
        const char* name;
        std::string moduleFileName;
        bool fails;
        std::string expected;
    };
    const std::string longPath = "C:\\" + std::string(300, 'x') + ".exe";
    const Case cases[] = {
        {"full path", "C:\\tools\\tolvik.exe", false, "C:\\tools\\tolvik.exe"},
        {"call fails", "C:\\tools\\tolvik.exe", true, ""},
        // Cut to the 261-byte buffer; its terminator is not part of the text.
        {"too long for the buffer", longPath, false, longPath.substr(0, 260)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.commandLine = "tool a b";  // not where index 0 comes from
        platform.moduleFileName = c.moduleFileName;
        if (c.fails) platform.failing.insert("GetModuleFileNameA");
        EXPECT_EQ(std::string(ArgumentAt(platform, 0).view()), c.expected);
    }
}

}  // namespace
}  // namespace tolvik

#include "support/locale.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace tolvik {
namespace {

using testing::FakePlatform;

// The marked bytes as ranges, e.g. "81-9F E0-FC".
std::string Ranges(const LeadByteSet& set) {
    std::string text;
    for (unsigned low = 0; low < 256; ++low) {
        if (!set.Has(static_cast<char>(low))) continue;
        unsigned high = low;
        while (high + 1 < 256 && set.Has(static_cast<char>(high + 1))) ++high;
        char range[16];
        std::snprintf(range, sizeof range, "%s%02X-%02X", text.empty() ? "" : " ", low, high);
        text += range;
        low = high;
    }
    return text;
}

LeadByteSet JapaneseLeadBytes() {
    FakePlatform platform;
    platform.threadLocale = 0x411;
    return InitSystemLocale(platform).leadBytes;
}

TEST(Locale, SetUpFromTheThreadLocale) {
    struct Case {
        const char* name;
        std::uint32_t threadLocale;
        std::uint32_t systemCodePage;
        const char* codePageText;  // what GetLocaleInfoA says of the locale; null: it fails
        std::uint32_t localeId, primaryLanguage;
        std::vector<std::uint32_t> codePagesAsked;
        const char* leadBytes;
    };
    const Case cases[] = {
        {"English", 0x409, 1252, "1252", 0x409, 0x09, {}, ""},
        {"English on a Japanese system", 0x409, 932, "1252", 0x409, 0x09, {}, ""},
        {"German", 0x407, 1252, "1252", 0x407, 0x07, {}, ""},
        {"Japanese", 0x411, 932, "932", 0x411, 0x11, {932}, "81-9F E0-FC"},
        {"Japanese on a Western system", 0x411, 1252, "932", 0x411, 0x11, {932}, "81-9F E0-FC"},
        {"Russian: asked, but no lead bytes", 0x419, 1251, "1251", 0x419, 0x19, {1251}, ""},
        {"thread locale 0", 0, 932, "932", 0x409, 0x09, {}, ""},
        {"language id 0", 0x10000, 932, "932", 0x10000, 0x09, {}, ""},
        {"neutral language", 0x800, 932, "932", 0x800, 0x00, {}, ""},
        {"code page text 0 means the system's", 0x439, 932, "0", 0x439, 0x39, {0}, "81-9F E0-FC"},
        {"code page text not a number", 0x439, 932, "x", 0x439, 0x39, {932}, "81-9F E0-FC"},
        {"locale answer fails", 0x439, 932, nullptr, 0x439, 0x39, {932}, "81-9F E0-FC"},
        {"hexadecimal code page text", 0x439, 1252, "$3A4", 0x439, 0x39, {932}, "81-9F E0-FC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.threadLocale = c.threadLocale;
        platform.systemCodePage = c.systemCodePage;
        if (c.codePageText != nullptr) {
            platform.localeCodePageText[c.threadLocale] = c.codePageText;
        } else {
            platform.failing.insert("GetLocaleInfoA");
        }
        const SystemLocale locale = InitSystemLocale(platform);
        EXPECT_EQ(locale.info.LocaleId, c.localeId);
        EXPECT_EQ(locale.info.PrimaryLanguage, c.primaryLanguage);
        EXPECT_EQ(platform.codePagesAsked, c.codePagesAsked);
        EXPECT_EQ(Ranges(locale.leadBytes), c.leadBytes);
    }
}

TEST(Locale, LeadByteRangesAreWalkedAsPairs) {
    struct Case {
        const char* name;
        std::array<std::uint8_t, 12> ranges;
        const char* leadBytes;
        bool fails;
    };
    const Case cases[] = {
        {"six ranges, no end pair",
         {1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 0xB, 0xB},
         "01-01 03-03 05-05 07-07 09-09 0B-0B",
         false},
        {"reversed pair marks nothing, walk goes on", {0x90, 0x80, 0xA0, 0xA1}, "A0-A1", false},
        {"stops at the first zero pair", {0xA0, 0xA0, 0, 0, 0xB0, 0xB0}, "A0-A0", false},
        {"whole range", {0x00, 0xFF}, "00-FF", false},
        {"failed call gives no lead bytes", {0x81, 0x9F}, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.threadLocale = 0x411;
        platform.leadByteRanges[932] = c.ranges;
        if (c.fails) platform.failing.insert("GetCPInfo");
        EXPECT_EQ(Ranges(InitSystemLocale(platform).leadBytes), c.leadBytes);
    }
}

TEST(Locale, SingleByteLanguagesAreTheTwelve) {
    const std::uint32_t members[] = {0x00, 0x06, 0x07, 0x09, 0x0A, 0x0B,
                                     0x0C, 0x10, 0x13, 0x14, 0x16, 0x1D};
    std::uint32_t found = 0;
    for (std::uint32_t id = 0; id < 0x400; ++id) {
        if (IsSingleByteLanguage(id)) {
            ASSERT_LT(found, 12u) << id;
            EXPECT_EQ(id, members[found++]);
        }
    }
    EXPECT_EQ(found, 12u);
}

TEST(Locale, IntegerOrDefault) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    constexpr std::int32_t kDefault = -7;
    const Case cases[] = {
        {"932", 932},
        {" 1252", 1252},
        {"  +7", 7},
        {"-12", -12},
        {"012", 12},
        {"0", 0},
        {"$1a", 26},
        {"x1A", 26},
        {"X1a", 26},
        {"0X1a", 26},
        {"0x10", 16},
        {"$FFFFFFFF", -1},
        {"$000000001", 1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"", kDefault},
        {"1252 ", kDefault},
        {"93a", kDefault},
        {"-", kDefault},
        {"+", kDefault},
        {"$", kDefault},
        {"0x", kDefault},
        {"-$1A", kDefault},
        {"+0x10", kDefault},
        {"1 2", kDefault},
        {"\t5", kDefault},
        {"2147483648", kDefault},
        {"-2147483649", kDefault},
        {"$100000000", kDefault},
        {"$G", kDefault},
        {"99999999999", kDefault},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IntegerOrDefault(c.text, kDefault), c.expected) << '"' << c.text << '"';
    }
}

TEST(DisplayName, ByteKinds) {
    struct Case {
        const char* name;
        std::string text;
        std::int32_t position;
        ByteKind japanese, english;
    };
    using K = ByteKind;
    const Case cases[] = {
        {"empty text", "", 1, K::KindSingle, K::KindSingle},
        {"first byte, a lead byte", "\x97\x5C", 1, K::KindLead, K::KindSingle},
        {"its second byte", "\x97\x5C", 2, K::KindTrail, K::KindSingle},
        {"two lead bytes make a character", "\x81\x81\x5C", 2, K::KindTrail, K::KindSingle},
        {"so the byte after them stands alone", "\x81\x81\x5C", 3, K::KindSingle, K::KindSingle},
        {"lead byte after a character", "\x81\x81\x81\x5C", 3, K::KindLead, K::KindSingle},
        {"zero byte", std::string("a\0b", 3), 2, K::KindSingle, K::KindSingle},
        {"position 0", "\x97\x5C", 0, K::KindSingle, K::KindSingle},
        {"past the end", "\x97\x5C", 3, K::KindSingle, K::KindSingle},
    };
    const LeadByteSet japanese = JapaneseLeadBytes();
    const LeadByteSet english;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ByteKindAt(japanese, c.text, c.position), c.japanese);
        EXPECT_EQ(ByteKindAt(english, c.text, c.position), c.english);
    }
}

TEST(DisplayName, FileNamePart) {
    struct Case {
        const char* path;
        const char* japanese;
        const char* english;
    };
    // 予定表.exe: two of its three characters have a backslash as second byte.
    const Case cases[] = {
        {"C:\\bin\\tool.exe", "tool.exe", "tool.exe"},
        {"tool.exe", "tool.exe", "tool.exe"},
        {"C:tool.exe", "tool.exe", "tool.exe"},
        {"C:\\bin\\", "", ""},
        {"", "", ""},
        {"C:\\\x97\x5C\x92\xE8\x95\x5C.exe", "\x97\x5C\x92\xE8\x95\x5C.exe", ".exe"},
        {"C:\\\x95\x5C", "\x95\x5C", ""},
        {"\x81\x81\\x", "x", "x"},
    };
    const LeadByteSet japanese = JapaneseLeadBytes();
    const LeadByteSet english;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(std::string(FileNamePart(japanese, c.path).view()), c.japanese);
        EXPECT_EQ(std::string(FileNamePart(english, c.path).view()), c.english);
    }
    EXPECT_EQ(LastDelimiterPosition(japanese, kPathDelimiters, "C:\\\x97\x5C\x92\xE8\x95\x5C"), 3);
    EXPECT_EQ(LastDelimiterPosition(english, "x", "abc"), 0);
}

}  // namespace
}  // namespace tolvik

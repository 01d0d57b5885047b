#include "support/locale.h"

#include <cstddef>

namespace tolvik {
namespace {

// GetLocaleInfoA's answer for the code page is read from a buffer this size.
constexpr int kCodePageTextSize = 7;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

SystemLocale InitSystemLocale(Platform& platform) {
    SystemLocale locale;
    const std::uint32_t thread = platform.GetThreadLocale();
    if (thread != 0) locale.info.LocaleId = thread;
    if ((thread & 0xFFFFu) != 0) locale.info.PrimaryLanguage = thread & 0x3FFu;
    if (!IsSingleByteLanguage(locale.info.PrimaryLanguage)) {
        CollectLeadBytes(platform, locale.info.LocaleId, locale.leadBytes);
    }
    return locale;
}

bool IsSingleByteLanguage(std::uint32_t primaryLanguage) {
    return primaryLanguage < 32 && ((kSingleByteLanguages >> primaryLanguage) & 1u) != 0;
}

std::uint32_t CodePageOfLocale(Platform& platform, std::uint32_t localeId) {
    char buffer[kCodePageTextSize] = {};
    const int written =
        platform.GetLocaleInfoA(localeId, kLocaleDefaultAnsiCodePage, buffer, kCodePageTextSize);
    const std::uint32_t systemCodePage = platform.GetACP();
    // A failed call may leave the buffer half written: nothing in it counts.
    if (written <= 0) return systemCodePage;
    std::size_t length = 0;
    while (length < sizeof buffer && buffer[length] != '\0') ++length;
    return static_cast<std::uint32_t>(IntegerOrDefault(std::string_view(buffer, length),
                                                       static_cast<std::int32_t>(systemCodePage)));
}

void CollectLeadBytes(Platform& platform, std::uint32_t localeId, LeadByteSet& leadBytes) {
    // The thread locale's code page, which may differ from the system's.
    MarkLeadBytesOf(platform, CodePageOfLocale(platform, localeId), leadBytes);
}

void MarkLeadBytesOf(Platform& platform, std::uint32_t codePage, LeadByteSet& leadBytes) {
    CodePageInfo info = {};
    if (!platform.GetCPInfo(codePage, &info)) return;
    for (std::size_t pair = 0; pair < sizeof info.LeadByte; pair += 2) {
        const unsigned low = info.LeadByte[pair];
        const unsigned high = info.LeadByte[pair + 1];
        if (low == 0 && high == 0) break;
        for (unsigned value = low; value <= high; ++value) leadBytes.Mark(value);
    }
}

std::int32_t IntegerOrDefault(std::string_view text, std::int32_t fallback) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const std::string_view rest(text.data() + i, text.size() - i);

    std::size_t hexStart = 0;
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        hexStart = 1;
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        hexStart = 2;
    }
    if (hexStart != 0) {
        if (rest.size() == hexStart) return fallback;
        std::uint64_t value = 0;
        for (std::size_t j = hexStart; j < rest.size(); ++j) {
            const int digit = HexDigitValue(rest[j]);
            if (digit < 0) return fallback;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) return fallback;
        }
        // The 32-bit pattern is the number: $FFFFFFFF is -1.
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    std::size_t j = 0;
    const bool negative = !rest.empty() && rest[0] == '-';
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) j = 1;
    if (j == rest.size()) return fallback;
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    std::uint64_t value = 0;
    for (; j < rest.size(); ++j) {
        if (!IsDecimalDigit(rest[j])) return fallback;
        value = value * 10 + static_cast<std::uint64_t>(rest[j] - '0');
        if (value > limit) return fallback;
    }
    const auto magnitude = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

ByteKind ByteKindAt(const LeadByteSet& leadBytes, std::string_view text, std::int32_t position) {
    if (text.empty() || position < 1 || static_cast<std::size_t>(position) > text.size()) {
        return ByteKind::KindSingle;
    }
    const char byte = text[static_cast<std::size_t>(position) - 1];
    if (byte == '\0') return ByteKind::KindSingle;
    const ByteKind own = leadBytes.Has(byte) ? ByteKind::KindLead : ByteKind::KindSingle;
    if (position == 1) return own;
    // An odd run of lead bytes right before it makes this byte a second byte.
    std::size_t leadsBefore = 0;
    for (std::size_t q = static_cast<std::size_t>(position) - 1; q >= 1; --q) {
        if (!leadBytes.Has(text[q - 1])) break;
        ++leadsBefore;
    }
    return leadsBefore % 2 == 1 ? ByteKind::KindTrail : own;
}

std::int32_t LastDelimiterPosition(const LeadByteSet& leadBytes, std::string_view delimiters,
                                   std::string_view text) {
    auto position = static_cast<std::int32_t>(text.size());
    while (position >= 1) {
        const char byte = text[static_cast<std::size_t>(position) - 1];
        if (byte != '\0' && delimiters.find(byte) != std::string_view::npos) {
            if (ByteKindAt(leadBytes, text, position) != ByteKind::KindTrail) return position;
            position -= 2;  // past the second byte and the lead byte before it
        } else {
            position -= 1;
        }
    }
    return 0;
}

AnsiText FileNamePart(const LeadByteSet& leadBytes, std::string_view path) {
    const auto delimiter =
        static_cast<std::size_t>(LastDelimiterPosition(leadBytes, kPathDelimiters, path));
    return AnsiText::Of(AnsiText::View(path.data() + delimiter, path.size() - delimiter));
}

std::u16string_view FileNamePart(std::u16string_view path) {
    // npos + 1 is 0: the whole path.
    const std::size_t start = path.find_last_of(u"\\:") + 1;
    return std::u16string_view(path.data() + start, path.size() - start);
}

}  // namespace tolvik

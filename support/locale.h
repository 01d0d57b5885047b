// The thread locale's double-byte lead bytes, and the display name of a path
// found with them.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "support/text.h"

namespace tolvik {

struct SystemLocaleInfo {
    std::uint32_t LocaleId = 0x409;     // English (United States) until the thread says otherwise
    std::uint32_t PrimaryLanguage = 9;  // LANG_ENGLISH
};

// One flag per byte value: set for the lead bytes of a double-byte code page.
class LeadByteSet {
  public:
    bool Has(char byte) const { return flags_[static_cast<unsigned char>(byte)]; }
    void Mark(unsigned value) { flags_[value & 0xFFu] = true; }

  private:
    bool flags_[256] = {};
};

struct SystemLocale {
    SystemLocaleInfo info;
    LeadByteSet leadBytes;
};

// Languages whose code pages have no lead bytes, so none are looked up: bit n
// stands for primary language id n (neutral, Danish, German, English, Spanish,
// Finnish, French, Italian, Dutch, Norwegian, Portuguese, Swedish).
constexpr std::uint32_t kSingleByteLanguages = 0x20591EC1u;

// The backslash and the colon.
constexpr std::string_view kPathDelimiters = "\\:";

enum class ByteKind { KindSingle = 0, KindLead = 1, KindTrail = 2 };

// Reads the thread locale and the lead bytes of its default ANSI code page.
// Run once at start; the result is only read afterwards.
SystemLocale InitSystemLocale(Platform& platform);

bool IsSingleByteLanguage(std::uint32_t primaryLanguage);

// The locale's default ANSI code page, or the system's when the locale's
// answer is not a number.
std::uint32_t CodePageOfLocale(Platform& platform, std::uint32_t localeId);

// Marks the lead bytes of the locale's default ANSI code page.
void CollectLeadBytes(Platform& platform, std::uint32_t localeId, LeadByteSet& leadBytes);

// Marks the lead-byte ranges that GetCPInfo lists for the code page; none
// when it cannot say.
void MarkLeadBytesOf(Platform& platform, std::uint32_t codePage, LeadByteSet& leadBytes);

// Leading blanks, then a signed decimal number in the 32-bit range, or a
// hexadecimal one ("$", "x", "X", "0x" or "0X" first) that fits in 32 bits;
// nothing may follow. Anything else gives `fallback`.
std::int32_t IntegerOrDefault(std::string_view text, std::int32_t fallback);

// Positions count from 1.
ByteKind ByteKindAt(const LeadByteSet& leadBytes, std::string_view text, std::int32_t position);

// The position of the last byte of `text` that is one of `delimiters` and not
// the second byte of a double-byte character; 0 when there is none.
std::int32_t LastDelimiterPosition(const LeadByteSet& leadBytes, std::string_view delimiters,
                                   std::string_view text);

// What follows the path's last backslash or colon: C:\bin\tool.exe gives
// tool.exe.
AnsiText FileNamePart(const LeadByteSet& leadBytes, std::string_view path);

// The same for a UTF-16 path, where no unit of a character is a delimiter but
// the delimiter itself.
std::u16string_view FileNamePart(std::u16string_view path);

}  // namespace tolvik

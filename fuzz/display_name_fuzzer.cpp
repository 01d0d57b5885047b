// FileNamePart, LastDelimiterPosition and ByteKindAt on arbitrary text with an
// arbitrary set of lead bytes: the input's first 32 bytes are the set, one
// bit per byte value; the rest is the text, zero bytes included.
//
// Besides running clean under the sanitizers, every input must keep these:
// - the display name is a suffix of the path;
// - it follows the last delimiter that is not the second byte of a
//   double-byte character; every delimiter after that one is such a second
//   byte, or the first byte of a character whose second byte is one. (The
//   walk passes over a double-byte character as a whole, so a delimiter that
//   is itself a lead byte is never looked at; no ANSI code page has such a
//   lead byte, but an arbitrary set does.)
// - with no lead bytes it is everything after the last backslash or colon;
// - ByteKindAt gives one of its three kinds at every position, and
//   KindSingle outside the text.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "check.h"
#include "support/locale.h"

namespace {

using tolvik::ByteKind;

constexpr std::size_t kSetBytes = 32;

bool IsDelimiter(char byte) {
    return byte == '\\' || byte == ':';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kSetBytes) return 0;
    tolvik::LeadByteSet leadBytes;
    for (unsigned value = 0; value < 256; ++value) {
        if ((data[value / 8] >> (value % 8)) & 1u) leadBytes.Mark(value);
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + kSetBytes, size - kSetBytes);
    const auto length = static_cast<std::int32_t>(text.size());

    for (std::int32_t position = 1; position <= length; ++position) {
        const ByteKind kind = tolvik::ByteKindAt(leadBytes, text, position);
        TOLVIK_FUZZ_CHECK(kind == ByteKind::KindSingle || kind == ByteKind::KindLead ||
                          kind == ByteKind::KindTrail);
        if (text[static_cast<std::size_t>(position) - 1] == '\0') {
            TOLVIK_FUZZ_CHECK(kind == ByteKind::KindSingle);
        }
    }
    const std::int32_t outside[] = {std::numeric_limits<std::int32_t>::min(), -1, 0, length + 1,
                                    std::numeric_limits<std::int32_t>::max()};
    for (std::int32_t position : outside) {
        TOLVIK_FUZZ_CHECK(tolvik::ByteKindAt(leadBytes, text, position) == ByteKind::KindSingle);
    }

    const std::int32_t last =
        tolvik::LastDelimiterPosition(leadBytes, tolvik::kPathDelimiters, text);
    TOLVIK_FUZZ_CHECK(last >= 0 && last <= length);
    if (last > 0) {
        TOLVIK_FUZZ_CHECK(IsDelimiter(text[static_cast<std::size_t>(last) - 1]));
        TOLVIK_FUZZ_CHECK(tolvik::ByteKindAt(leadBytes, text, last) != ByteKind::KindTrail);
    }
    auto isTrailDelimiter = [&](std::int32_t position) {
        return position <= length && IsDelimiter(text[static_cast<std::size_t>(position) - 1]) &&
               tolvik::ByteKindAt(leadBytes, text, position) == ByteKind::KindTrail;
    };
    for (std::int32_t position = last + 1; position <= length; ++position) {
        if (IsDelimiter(text[static_cast<std::size_t>(position) - 1])) {
            TOLVIK_FUZZ_CHECK(
                isTrailDelimiter(position) ||
                (tolvik::ByteKindAt(leadBytes, text, position) == ByteKind::KindLead &&
                 isTrailDelimiter(position + 1)));
        }
    }

    const tolvik::AnsiText name = tolvik::FileNamePart(leadBytes, text);
    TOLVIK_FUZZ_CHECK(name.size() <= text.size());
    TOLVIK_FUZZ_CHECK(name.view() == text.substr(text.size() - name.size()));
    TOLVIK_FUZZ_CHECK(name.size() == text.size() - static_cast<std::size_t>(last));
    if (leadBytes.Empty()) {
        const std::size_t delimiter = text.find_last_of("\\:");
        const std::string_view after =
            delimiter == std::string_view::npos ? text : text.substr(delimiter + 1);
        TOLVIK_FUZZ_CHECK(name.view() == after);
    }
    return 0;
}

// IntegerOrDefault against a second reading of its rules, made with
// std::from_chars: leading blanks; then a sign and decimal digits in the
// signed 32-bit range, or "$", "x", "X", "0x" or "0X" and hexadecimal digits
// that fit in 32 bits; nothing after the digits. Anything else is the
// default. The input's first four bytes are the default, the rest the text.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "check.h"
#include "support/locale.h"

namespace {

bool IsDigitOf(char c, int base) {
    if (c >= '0' && c <= '9') return true;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// The whole of `digits` read as one number of type T in `base`, or nothing.
template <typename T>
bool ReadAll(std::string_view digits, int base, T& value) {
    // from_chars takes a minus before decimal digits; the caller has dealt
    // with signs, so only digits may come.
    if (digits.empty() || !IsDigitOf(digits[0], base)) return false;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value, base);
    return result.ec == std::errc() && result.ptr == end;
}

std::int32_t Reference(std::string_view text, std::int32_t fallback) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return fallback;
    text.remove_prefix(start);

    std::string_view hex;
    if (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") {
        hex = text.substr(2);
    } else if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') {
        hex = text.substr(1);
    } else {
        std::int64_t value = 0;
        const bool negative = text[0] == '-';
        if (text[0] == '+' || text[0] == '-') text.remove_prefix(1);
        if (!ReadAll(text, 10, value)) return fallback;
        if (negative) value = -value;
        if (value < INT32_MIN || value > INT32_MAX) return fallback;
        return static_cast<std::int32_t>(value);
    }
    std::uint32_t pattern = 0;
    if (!ReadAll(hex, 16, pattern)) return fallback;
    std::int32_t value;
    std::memcpy(&value, &pattern, sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::int32_t fallback;
    std::memcpy(&fallback, data, sizeof fallback);
    const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);
    TOLVIK_FUZZ_CHECK(tolvik::IntegerOrDefault(text, fallback) == Reference(text, fallback));
    return 0;
}

#include "support/arguments.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace tolvik {
namespace {

constexpr char kQuote = '"';
// The buffer that GetModuleFileNameA fills for ArgumentAt(0).
constexpr std::uint32_t kModuleNameBufferSize = 261;
// Windows holds no longer path, so a buffer one unit longer never cuts one.
constexpr std::uint32_t kLongestPath = 32767;

// Steps through a command line: by the system code page's characters in the
// ANSI one, by units in the UTF-16 one, where neither half of a surrogate pair
// is a separator or a quote.
struct AnsiStep {
    const LeadByteSet& leadBytes;
    const char* operator()(const char* at) const { return NextCharacter(leadBytes, at); }
};
struct WideStep {
    const char16_t* operator()(const char16_t* at) const { return at + 1; }
};

template <typename Unit>
bool IsSeparator(Unit unit) {
    const auto value = static_cast<std::make_unsigned_t<Unit>>(unit);
    return value >= 0x01 && value <= 0x20;
}

template <typename Unit, typename Step>
const Unit* SkipSeparatorsAndQuotePairs(const Unit* position, Step step) {
    for (;;) {
        if (IsSeparator(*position)) {
            position = step(position);
        } else if (position[0] == kQuote && position[1] == kQuote) {
            position += 2;
        } else {
            return position;
        }
    }
}

// Walks one argument character by character from `position` and returns
// where it ended. Counts the units that belong to it in `length` and, when
// `out` is given, copies them there. Only a character's first unit is tested;
// the rest are taken as they come.
template <typename Unit, typename Step>
const Unit* WalkArgument(const Unit* position, Step step, Unit* out, std::size_t& length) {
    bool quoted = false;
    length = 0;
    while (*position != 0 && (quoted || !IsSeparator(*position))) {
        const Unit* next = step(position);
        if (*position == kQuote) {
            quoted = !quoted;
            position = next;
        }
        for (; position != next; ++position, ++length) {
            if (out != nullptr) out[length] = *position;
        }
    }
    return position;
}

template <typename Unit, typename Step>
BasicText<Unit> Split(const Unit*& position, Step step) {
    const Unit* start = SkipSeparatorsAndQuotePairs(position, step);
    // Measure first, so that the text is allocated once at its final length.
    std::size_t length = 0;
    position = WalkArgument(start, step, static_cast<Unit*>(nullptr), length);
    BasicText<Unit> text = BasicText<Unit>::OfLength(length);
    WalkArgument(start, step, text.data(), length);
    return text;
}

// The index-th argument after the program's own token, splitting from
// `position`; the empty text past the last one or below 0.
template <typename Unit, typename Step>
BasicText<Unit> SplitUpTo(const Unit* position, std::int32_t index, Step step) {
    BasicText<Unit> text = Split(position, step);
    // Counted down in 64 bits: a negative index walks to the end of the
    // command line, and below the 32-bit minimum it would overflow.
    std::int64_t remaining = index;
    while (remaining != 0 && !text.empty()) {
        --remaining;
        text = Split(position, step);
    }
    // Past the last argument the text just split is the empty one.
    return text;
}

}  // namespace

LeadByteSet SystemLeadBytes(Platform& platform) {
    LeadByteSet leadBytes;
    MarkLeadBytesOf(platform, kCodePageAnsi, leadBytes);
    return leadBytes;
}

const char* NextCharacter(const LeadByteSet& leadBytes, const char* position) {
    if (*position == '\0') return position;
    if (leadBytes.Has(*position) && position[1] != '\0') return position + 2;
    return position + 1;
}

SplitArgument NextArgument(const LeadByteSet& leadBytes, const char* position) {
    AnsiText text = Split(position, AnsiStep{leadBytes});
    return SplitArgument{std::move(text), position};
}

std::int32_t ArgumentCount(Platform& platform) {
    const LeadByteSet leadBytes = SystemLeadBytes(platform);
    // The program's own token is split by the same rules and then dropped.
    SplitArgument split = NextArgument(leadBytes, platform.GetCommandLineA());
    std::int32_t count = 0;
    for (;;) {
        split = NextArgument(leadBytes, split.end);
        if (split.text.empty()) return count;
        ++count;
    }
}

AnsiText ArgumentAt(Platform& platform, std::int32_t index) {
    if (index == 0) {
        char buffer[kModuleNameBufferSize];
        std::uint32_t written = platform.GetModuleFileNameA(buffer, kModuleNameBufferSize);
        if (written > kModuleNameBufferSize) written = kModuleNameBufferSize;
        // A path cut short at the buffer's end is counted with its terminator;
        // the text stops before it, or the usage note would stop there too.
        std::size_t length = 0;
        while (length < written && buffer[length] != '\0') ++length;
        return AnsiText::Of(AnsiText::View(buffer, length));
    }
    const LeadByteSet leadBytes = SystemLeadBytes(platform);
    return SplitUpTo(platform.GetCommandLineA(), index, AnsiStep{leadBytes});
}

WideText WideArgumentAt(Platform& platform, std::int32_t index) {
    if (index == 0) {
        WideText buffer = WideText::OfLength(kLongestPath);
        const std::uint32_t written = platform.GetModuleFileNameW(buffer.data(), kLongestPath + 1);
        return WideText::Of(WideText::View(buffer.c_str(), std::min(written, kLongestPath)));
    }
    return SplitUpTo(platform.GetCommandLineW(), index, WideStep{});
}

}  // namespace tolvik

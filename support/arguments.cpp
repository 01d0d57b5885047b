#include "support/arguments.h"

#include <cstddef>
#include <utility>

namespace tolvik {
namespace {

constexpr char kQuote = '"';
// The buffer that GetModuleFileNameA fills for ArgumentAt(0).
constexpr std::uint32_t kModuleNameBufferSize = 261;

bool IsSeparator(char byte) {
    auto value = static_cast<unsigned char>(byte);
    return value >= 0x01 && value <= 0x20;
}

const char* SkipSeparatorsAndQuotePairs(const LeadByteSet& leadBytes, const char* position) {
    for (;;) {
        if (IsSeparator(*position)) {
            position = NextCharacter(leadBytes, position);
        } else if (position[0] == kQuote && position[1] == kQuote) {
            position += 2;
        } else {
            return position;
        }
    }
}

// Walks one argument character by character from `position`, handing each
// character that belongs to it to `take(first, pastLast)`, and returns where
// it ended. Only a character's first byte is tested; the rest are taken as
// they come.
template <typename Take>
const char* WalkArgument(const LeadByteSet& leadBytes, const char* position, Take take) {
    bool quoted = false;
    while (*position != '\0' && (quoted || !IsSeparator(*position))) {
        const char* next = NextCharacter(leadBytes, position);
        if (*position == kQuote) {
            quoted = !quoted;
        } else {
            take(position, next);
        }
        position = next;
    }
    return position;
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
    const char* start = SkipSeparatorsAndQuotePairs(leadBytes, position);

    // Measure first, so that the text is allocated once at its final length.
    std::size_t length = 0;
    const char* end =
        WalkArgument(leadBytes, start, [&length](const char* first, const char* last) {
            length += static_cast<std::size_t>(last - first);
        });

    AnsiText text = AnsiText::OfLength(length);
    char* out = text.data();
    WalkArgument(leadBytes, start, [&out](const char* first, const char* last) {
        while (first != last) *out++ = *first++;
    });
    return SplitArgument{std::move(text), end};
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
    SplitArgument split = NextArgument(leadBytes, platform.GetCommandLineA());
    // Counted down in 64 bits: a negative index walks to the end of the
    // command line, and below the 32-bit minimum it would overflow.
    std::int64_t remaining = index;
    while (remaining != 0 && !split.text.empty()) {
        --remaining;
        split = NextArgument(leadBytes, split.end);
    }
    // Past the last argument the text just split is the empty one.
    return std::move(split.text);
}

}  // namespace tolvik

// The command-line splitting on arbitrary command lines, stepping as Windows
// does in code page TOLVIK_FUZZ_CODE_PAGE (932 or 1252).
//
// Besides running clean under the sanitizers, every input must keep these:
// - ArgumentAt(n) is empty exactly for n outside 1..ArgumentCount();
// - no argument holds a double quote at the start of a character: the only
//   double quote an argument can hold is the second byte of a double-byte
//   character, which the splitting never tests;
// - the arguments, the program's own token included, have no more bytes
//   together than the command line;
// - the arguments are those of the splitting rules, written once more below
//   as plainly as possible over indices.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "command_line_platform.h"
#include "support/arguments.h"

namespace {

using tolvik::fuzzing::IsLeadByteOf;

constexpr std::uint32_t kCodePage = TOLVIK_FUZZ_CODE_PAGE;

bool IsSeparator(unsigned char byte) {
    return byte >= 0x01 && byte <= 0x20;
}

// Bytes of the character that starts at `at`.
std::size_t CharacterSize(std::string_view text, std::size_t at) {
    return IsLeadByteOf(kCodePage, static_cast<unsigned char>(text[at])) && at + 1 < text.size()
               ? 2
               : 1;
}

// Every token of the command line, the program's own first; the program's
// token may be empty, no other one is.
std::vector<std::string> ReferenceTokens(std::string_view line) {
    std::vector<std::string> tokens;
    std::size_t at = 0;
    for (;;) {
        for (;;) {
            if (at < line.size() && IsSeparator(static_cast<unsigned char>(line[at]))) {
                at += CharacterSize(line, at);
            } else if (line.substr(at, 2) == "\"\"") {
                at += 2;
            } else {
                break;
            }
        }
        std::string token;
        bool quoted = false;
        while (at < line.size() && (quoted || !IsSeparator(static_cast<unsigned char>(line[at])))) {
            const std::size_t size = CharacterSize(line, at);
            if (line[at] == '"') {
                quoted = !quoted;
            } else {
                token.append(line.substr(at, size));
            }
            at += size;
        }
        if (token.empty() && !tokens.empty()) return tokens;
        tokens.push_back(token);
    }
}

bool HasQuoteStartingACharacter(std::string_view argument) {
    for (std::size_t at = 0; at < argument.size(); at += CharacterSize(argument, at)) {
        if (argument[at] == '"') return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tolvik::fuzzing::CommandLinePlatform platform(kCodePage);
    // The command line ends at its first zero byte, as GetCommandLineA's does.
    const auto* bytes = reinterpret_cast<const char*>(data);
    platform.commandLine.assign(bytes, strnlen(bytes, size));
    platform.moduleFileName = "C:\\tools\\tolvik.exe";
    const std::string_view line = platform.commandLine;

    const std::int32_t count = tolvik::ArgumentCount(platform);
    const std::vector<std::string> reference = ReferenceTokens(line);
    TOLVIK_FUZZ_CHECK(count >= 0);
    TOLVIK_FUZZ_CHECK(static_cast<std::size_t>(count) + 1 == reference.size());

    // The pieces as NextArgument gives them, from the program's token on.
    std::size_t total = 0;
    const char* position = platform.commandLine.c_str();
    for (std::int32_t n = 0; n <= count + 1; ++n) {
        const tolvik::SplitArgument split = tolvik::NextArgument(platform, position);
        TOLVIK_FUZZ_CHECK(split.end >= position && split.end <= line.data() + line.size());
        TOLVIK_FUZZ_CHECK(*split.end == '\0' ||
                          IsSeparator(static_cast<unsigned char>(*split.end)));
        TOLVIK_FUZZ_CHECK(!HasQuoteStartingACharacter(split.text.view()));
        const auto index = static_cast<std::size_t>(n);
        TOLVIK_FUZZ_CHECK(split.text.view() == (index < reference.size() ? reference[index] : ""));
        total += split.text.size();
        position = split.end;
    }
    TOLVIK_FUZZ_CHECK(total <= line.size());

    for (std::int32_t n = 1; n <= count; ++n) {
        const tolvik::AnsiText argument = tolvik::ArgumentAt(platform, n);
        TOLVIK_FUZZ_CHECK(!argument.empty());
        TOLVIK_FUZZ_CHECK(argument.view() == reference[static_cast<std::size_t>(n)]);
        TOLVIK_FUZZ_CHECK(std::strlen(argument.c_str()) == argument.size());
    }
    const std::int32_t outside[] = {std::numeric_limits<std::int32_t>::min(), -1, count + 1,
                                    count + 2, std::numeric_limits<std::int32_t>::max()};
    for (std::int32_t n : outside) TOLVIK_FUZZ_CHECK(tolvik::ArgumentAt(platform, n).empty());
    TOLVIK_FUZZ_CHECK(tolvik::ArgumentAt(platform, 0).view() == platform.moduleFileName);
    return 0;
}

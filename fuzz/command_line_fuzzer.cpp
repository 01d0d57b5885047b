// The command-line splitting on any command line, stepped as Windows steps in
// code page 932 and in 1252. Besides running clean under the sanitizers, it
// must give the arguments of the splitting rules, written once more below as
// plainly as possible over indices (so no argument holds a double quote that
// starts a character). The unit tests replay its corpus, whose files are
// named for the rule each shows.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "support/arguments.h"
#include "tests/scripted_platform.h"

namespace {

// Every token, the program's own first (it alone may be empty).
std::vector<std::string> ReferenceTokens(std::string_view line, bool japanese) {
    auto blank = [&](std::size_t at) {
        return line[at] != '\0' && static_cast<unsigned char>(line[at]) <= 0x20;
    };
    auto size = [&](std::size_t at) -> std::size_t {
        const auto byte = static_cast<unsigned char>(line[at]);
        const bool lead = japanese && ((byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0);
        return lead && byte <= 0xFC && at + 1 < line.size() ? 2 : 1;
    };
    std::vector<std::string> tokens;
    for (std::size_t at = 0;;) {
        while (at < line.size() && (blank(at) || line.substr(at, 2) == "\"\""))
            at += blank(at) ? 1u : 2u;
        std::string token;
        for (bool quoted = false; at < line.size() && (quoted || !blank(at)); at += size(at)) {
            if (line[at] == '"') quoted = !quoted;
            if (line[at] != '"') token.append(line.substr(at, size(at)));
        }
        if (token.empty() && !tokens.empty()) return tokens;
        tokens.push_back(token);
    }
}

}  // namespace

namespace tolvik::testing {

// Splits the line as the program does, in code pages 932 and 1252, and
// compares with the rules: ArgumentCount and ArgumentAt give the reference
// tokens, and nothing for an index outside them.
bool SplitsByTheRules(const std::string& line) {
    for (const bool dbcs : {true, false}) {
        ScriptedPlatform platform;
        // A command line ends at its first zero byte.
        platform.commandLine = line.c_str(), platform.acp = dbcs ? 932 : 1252;
        const std::vector<std::string> tokens = ReferenceTokens(platform.commandLine, dbcs);
        const auto count = static_cast<std::int32_t>(tokens.size()) - 1;
        bool right = ArgumentCount(platform) == count;
        for (std::int32_t n : {count + 1, count + 2, -1, INT_MIN, INT_MAX})
            right = right && ArgumentAt(platform, n).empty();
        for (std::int32_t n = 1; n <= count; ++n)
            right = right && ArgumentAt(platform, n).view() == tokens[static_cast<std::size_t>(n)];
        if (!right) return false;
    }
    return true;
}

}  // namespace tolvik::testing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    return tolvik::testing::SplitsByTheRules(line) ? 0 : (std::abort(), 0);
}

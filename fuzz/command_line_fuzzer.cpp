// The command-line splitting on any command line, stepped as Windows steps in
// code page 932 and in 1252. Besides running clean under the sanitizers, each
// split must end at a separator or the end, within the line, and give the
// arguments of the splitting rules, written once more below as plainly as
// possible over indices (so no argument holds a double quote that starts a
// character).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "support/arguments.h"

namespace {

bool IsSeparator(char byte) {
    return byte != '\0' && static_cast<unsigned char>(byte) <= 0x20;
}

// Every token, the program's own first (it alone may be empty).
std::vector<std::string> ReferenceTokens(std::string_view line, bool japanese) {
    auto size = [&](std::size_t at) -> std::size_t {
        const auto byte = static_cast<unsigned char>(line[at]);
        const bool lead = japanese && ((byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0);
        return lead && byte <= 0xFC && at + 1 < line.size() ? 2 : 1;
    };
    std::vector<std::string> tokens;
    for (std::size_t at = 0;;) {
        while (at < line.size() && (IsSeparator(line[at]) || line.substr(at, 2) == "\"\"")) {
            at += IsSeparator(line[at]) ? size(at) : 2;
        }
        std::string token;
        for (bool quoted = false; at < line.size() && (quoted || !IsSeparator(line[at]));) {
            if (line[at] == '"') quoted = !quoted;
            if (line[at] != '"') token.append(line.substr(at, size(at)));
            at += size(at);
        }
        if (token.empty() && !tokens.empty()) return tokens;
        tokens.push_back(token);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A command line ends at its first zero byte.
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::string_view view(line.c_str());
    tolvik::LeadByteSet japanese;
    for (unsigned byte = 0x81; byte <= 0xFC; ++byte) {
        if (byte <= 0x9F || byte >= 0xE0) japanese.Mark(byte);
    }
    for (const bool dbcs : {true, false}) {
        const tolvik::LeadByteSet leadBytes = dbcs ? japanese : tolvik::LeadByteSet();
        const std::vector<std::string> tokens = ReferenceTokens(view, dbcs);
        const char* position = view.data();
        for (std::size_t n = 0; n <= tokens.size(); ++n) {
            const tolvik::SplitArgument split = tolvik::NextArgument(leadBytes, position);
            const bool within = split.end >= position && split.end <= view.data() + view.size();
            if (!within || (*split.end != '\0' && !IsSeparator(*split.end))) std::abort();
            if (split.text.view() != (n < tokens.size() ? tokens[n] : "")) std::abort();
            position = split.end;
        }
    }
    return 0;
}

#include "app/messages.h"

namespace tolvik {
namespace {

constexpr std::string_view kUsageHeading = "\x81\x79\x8F\x91\x8E\xAE\x81\x7A";  // 【書式】
constexpr std::string_view kArgumentPattern = " [src] [dst]";
// 作成できませんでした. (the full stop is the single byte 2E)
constexpr std::string_view kCreationFailed =
    "\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x2E";
constexpr std::string_view kFromLabel = "\x8C\xB3\x81\x46";  // 元：
constexpr std::string_view kToLabel = "\x90\xE6\x81\x46";    // 先：
constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

AnsiText UsageText(std::string_view programName) {
    return Concat<char>({kUsageHeading, programName, kArgumentPattern});
}

AnsiText ErrorText(std::string_view src, std::string_view dst) {
    return Concat<char>(
        {kCreationFailed, kLineBreak, kLineBreak, kFromLabel, src, kLineBreak, kToLabel, dst});
}

}  // namespace tolvik

#include "app/messages.h"

#include <utility>

#include "support/conversion.h"

namespace tolvik {
namespace {

// ジャンクション 又は ハードリンクの作成
constexpr std::string_view kUsageCaption =
    "\x83\x57\x83\x83\x83\x93\x83\x4E\x83\x56\x83\x87\x83\x93\x20\x96\x94\x82\xCD\x20"
    "\x83\x6E\x81\x5B\x83\x68\x83\x8A\x83\x93\x83\x4E\x82\xCC\x8D\xEC\x90\xAC";
constexpr std::string_view kUsageHeading = "\x81\x79\x8F\x91\x8E\xAE\x81\x7A";  // 【書式】
constexpr std::string_view kArgumentPattern = " [src] [dst]";
constexpr std::string_view kErrorCaption = "\x96\xB3\x94\x4F";  // 無念
// 作成できませんでした., an empty line and 元： (the full stop is the single byte 2E)
constexpr std::string_view kErrorHead =
    "\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x2E"
    "\r\n\r\n\x8C\xB3\x81\x46";
constexpr std::string_view kErrorMiddle = "\r\n\x90\xE6\x81\x46";  // a line break and 先：

// A fixed piece from code page 932; where Windows has no table for it, from
// the system's code page, which shows what the ANSI box always showed there.
WideText Fixed(Platform& platform, std::string_view piece) {
    WideText text = ToWide(platform, piece, kCodePageJapanese);
    return text.empty() ? ToWide(platform, piece) : std::move(text);
}

}  // namespace

Box UsageNote(Platform& platform, std::u16string_view programName) {
    const WideText heading = Fixed(platform, kUsageHeading);
    const WideText pattern = Fixed(platform, kArgumentPattern);
    return Box{Fixed(platform, kUsageCaption),
               Concat<char16_t>({heading.view(), programName, pattern.view()}), kMbIconInformation};
}

Box ErrorBox(Platform& platform, std::u16string_view src, std::u16string_view dst) {
    const WideText head = Fixed(platform, kErrorHead);
    const WideText middle = Fixed(platform, kErrorMiddle);
    return Box{Fixed(platform, kErrorCaption),
               Concat<char16_t>({head.view(), src, middle.view(), dst}), kMbIconError};
}

}  // namespace tolvik

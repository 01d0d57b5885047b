// The texts of the two message boxes. The fixed pieces are code page 932
// bytes; the paths between them are joined byte for byte as they were typed.
#pragma once

#include <string_view>

#include "support/text.h"

namespace tolvik {

// The captions come from literals, so a zero byte follows each: their data()
// can go to the platform as it stands.
// ジャンクション 又は ハードリンクの作成
constexpr std::string_view kUsageCaption =
    "\x83\x57\x83\x83\x83\x93\x83\x4E\x83\x56\x83\x87\x83\x93\x20\x96\x94\x82\xCD\x20"
    "\x83\x6E\x81\x5B\x83\x68\x83\x8A\x83\x93\x83\x4E\x82\xCC\x8D\xEC\x90\xAC";
// 無念
constexpr std::string_view kErrorCaption = "\x96\xB3\x94\x4F";

// 【書式】tolvik.exe [src] [dst]
AnsiText UsageText(std::string_view programName);

// 作成できませんでした. / (empty line) / 元：src / 先：dst
AnsiText ErrorText(std::string_view src, std::string_view dst);

}  // namespace tolvik

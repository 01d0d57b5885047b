// The two boxes as a user must see them, byte for byte in code page 932,
// written out here on their own rather than taken from the program.
#pragma once

#include <string>

namespace tolvik::testing {

// ジャンクション 又は ハードリンクの作成
inline const std::string kUsageCaption =
    "\x83\x57\x83\x83\x83\x93\x83\x4E\x83\x56\x83\x87\x83\x93\x20\x96\x94\x82\xCD\x20"
    "\x83\x6E\x81\x5B\x83\x68\x83\x8A\x83\x93\x83\x4E\x82\xCC\x8D\xEC\x90\xAC";
inline const std::string kErrorCaption = "\x96\xB3\x94\x4F";  // 無念

// 【書式】name [src] [dst]
inline std::string UsageNote(const std::string& programName) {
    return "\x81\x79\x8F\x91\x8E\xAE\x81\x7A" + programName + " [src] [dst]";
}

// 作成できませんでした. / (empty line) / 元：src / 先：dst
inline std::string ErrorBox(const std::string& src, const std::string& dst) {
    return "\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x2E"
           "\r\n\r\n\x8C\xB3\x81\x46" +
           src + "\r\n\x90\xE6\x81\x46" + dst;
}

}  // namespace tolvik::testing

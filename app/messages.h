// The two message boxes as a person reads them, in UTF-16. Their fixed pieces
// are code page 932 bytes; the names between them are shown as they were typed.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "support/text.h"

namespace tolvik {

struct Box {
    WideText caption;
    WideText text;
    std::uint32_t type;
};

// ジャンクション 又は ハードリンクの作成 / 【書式】tolvik.exe [src] [dst], information icon
Box UsageNote(Platform& platform, std::u16string_view programName);

// 無念 / 作成できませんでした. / (empty line) / 元：src / 先：dst, error icon
Box ErrorBox(Platform& platform, std::u16string_view src, std::u16string_view dst);

}  // namespace tolvik

// Texts from a code page into UTF-16.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "support/text.h"

namespace tolvik {

// The UTF-16 form of a text in a code page, by default the system's ANSI one,
// as Windows reads a text for its ANSI calls; the empty text when it cannot
// be converted.
WideText ToWide(Platform& platform, std::string_view text, std::uint32_t codePage = kCodePageAnsi);

}  // namespace tolvik

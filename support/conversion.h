// Texts between the system's ANSI code page and UTF-16.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "support/text.h"

namespace tolvik {

// The UTF-16 form of an ANSI text, as Windows reads it for its ANSI calls;
// the empty text when it cannot be converted.
WideText ToWide(Platform& platform, std::string_view text);

// The ANSI form of a UTF-16 text, without best fit: a character the code page
// lacks becomes its default character (?), never a look-alike.
AnsiText WithoutBestFit(Platform& platform, std::u16string_view text);

}  // namespace tolvik

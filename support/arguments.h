// The program's arguments, split from its command line.
//
// A separator is any byte from 0x01 to 0x20; a double quote opens or closes a
// stretch in which separators are ordinary, and the quotes are dropped. There
// is no escape character: a backslash is an ordinary byte. A pair of double
// quotes standing alone is no argument at all.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "support/locale.h"
#include "support/text.h"

namespace tolvik {

struct SplitArgument {
    AnsiText text;    // the empty text when nothing but separators remained
    const char* end;  // the separator or zero byte that ended it
};

// The lead bytes of the system's ANSI code page, the one the command line is
// written in (the thread locale's may differ).
LeadByteSet SystemLeadBytes(Platform& platform);

// From one character of an ANSI text to the next, as CharNextA steps in a code
// page with these lead bytes: two bytes for a lead byte with a byte after it,
// one otherwise, and no step at all from the terminating zero byte.
const char* NextCharacter(const LeadByteSet& leadBytes, const char* position);

// Splits the argument at or after `position`, stepping through the bytes by
// the system code page's lead bytes.
SplitArgument NextArgument(const LeadByteSet& systemLeadBytes, const char* position);

// The number of arguments after the program's own token.
std::int32_t ArgumentCount(Platform& platform);

// Index 0: the executable's full path. 1 up to ArgumentCount(): that argument.
// Any other index: the empty text.
AnsiText ArgumentAt(Platform& platform, std::int32_t index);

// Index 0: the executable's full path as Windows holds it, which the ANSI one
// is made from. 1 and up: the argument at that place in the UTF-16 command
// line that the ANSI one was made from, split by the same rules; the empty
// text where there is none.
WideText WideArgumentAt(Platform& platform, std::int32_t index);

}  // namespace tolvik

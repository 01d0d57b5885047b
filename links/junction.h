// Directory junctions.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "support/text.h"

namespace tolvik {

// Makes `dst` a new directory junction leading to the directory `src`. True
// once the file system has taken the record. On any failure after the
// directory was made, it is removed again; a directory that was there before
// is never touched.
bool MakeJunction(Platform& platform, std::string_view src, std::string_view dst);

// The same from the UTF-16 texts as typed, handed to Windows as they stand.
bool MakeJunction(Platform& platform, const WideText& src, const WideText& dst);

}  // namespace tolvik

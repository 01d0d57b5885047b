// One run of the program, from its arguments to the link or a message box.
#pragma once

#include "platform/platform.h"

namespace tolvik {

// The exit status where nobody can see a box, in its stead: the link was not
// made, or fewer than two arguments were typed. Wherever a box was shown, and
// after a link that was made, the status is 0.
constexpr int kExitLinkNotMade = 1;
constexpr int kExitUsage = 2;

// Makes the link that the command line asks for. Shows the usage note when
// an argument is missing and the error box when the link was not made; a
// success shows nothing. Gives the process's exit status.
int RunLinkMaker(Platform& platform);

}  // namespace tolvik

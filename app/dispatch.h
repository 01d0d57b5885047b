// One run of the program, from its arguments to the link or a message box.
#pragma once

#include "platform/platform.h"

namespace tolvik {

// Makes the link that the command line asks for. Shows the usage note when
// an argument is missing and the error box when the link was not made; a
// success shows nothing. The process's exit status is 0 after each of these.
void RunLinkMaker(Platform& platform);

}  // namespace tolvik

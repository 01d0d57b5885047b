#include "support/text.h"

namespace tolvik {

void ExitOutOfMemory() {
    // _Exit, not abort: abort may put up the C runtime's own box, and no
    // destructor or exit handler should run with the heap exhausted.
    std::_Exit(kOutOfMemoryExitStatus);
}

}  // namespace tolvik

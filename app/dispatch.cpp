#include "app/dispatch.h"

#include <cstdint>

#include "app/messages.h"
#include "links/junction.h"
#include "support/arguments.h"
#include "support/conversion.h"
#include "support/locale.h"
#include "support/text.h"

namespace tolvik {
namespace {

// Whether anybody can see a box: not where the window station has no display
// (a scheduled task run whether the user is logged on or not, a service),
// nor in session 0 from Windows Vista on, where no user ever logs on (an
// interactive service's station has a display nobody looks at). There a box
// would wait for good for a click that cannot come. Where Windows cannot
// say, the box is shown; on Windows XP session 0 is the console's.
bool BoxCanBeSeen(Platform& platform) {
    UserObjectFlags flags;  // read only where Windows answered
    const Handle station = platform.GetProcessWindowStation();
    if (station != nullptr &&
        platform.GetUserObjectInformationW(station, kUoiFlags, &flags, sizeof flags, nullptr) &&
        (flags.dwFlags & kWsfVisible) == 0)
        return false;
    std::uint32_t session = 0;  // read only where Windows answered
    const bool sessionZero =
        platform.ProcessIdToSessionId(platform.GetCurrentProcessId(), &session) && session == 0;
    return !sessionZero || (platform.GetVersion() & 0xFFu) < 6;
}

// The boxes have no owner window and only the default OK button; which
// button closed them is not looked at.
void Show(Platform& platform, const Box& box) {
    platform.MessageBoxW(nullptr, box.text.c_str(), box.caption.c_str(), box.type);
}

// The executable's file name: the display name of its ANSI path where that
// path is exactly the one Windows holds, and otherwise the file name of the
// path Windows holds, which the code page cannot carry.
int ShowUsage(Platform& platform, const SystemLocale& locale) {
    if (!BoxCanBeSeen(platform)) return kExitUsage;
    const AnsiText path = ArgumentAt(platform, 0);
    const WideText held = WideArgumentAt(platform, 0);
    if (held.empty() || ToWide(platform, path.view()).view() == held.view()) {
        const AnsiText name = FileNamePart(locale.leadBytes, path.view());
        Show(platform, UsageNote(platform, ToWide(platform, name.view()).view()));
    } else {
        Show(platform, UsageNote(platform, FileNamePart(held.view())));
    }
    return 0;
}

// The paths as they were typed; on the ANSI route they are what the ANSI
// texts read back as.
int ShowError(Platform& platform, const WideText& src, const WideText& dst) {
    if (!BoxCanBeSeen(platform)) return kExitLinkNotMade;
    Show(platform, ErrorBox(platform, src.view(), dst.view()));
    return 0;
}

// Whether the ANSI calls take the path whole: shorter than they take, and
// read back by Windows as exactly what was typed. Read back so, it is the
// typed text, and so as long.
bool AnsiCallsTake(Platform& platform, const AnsiText& path, const WideText& typed) {
    return typed.size() < kMaxPath && ToWide(platform, path.view()).view() == typed.view();
}

bool MakeLink(Platform& platform, const AnsiText& src, const AnsiText& dst) {
    const std::uint32_t attributes = platform.GetFileAttributesA(src.c_str());
    // A source that cannot be examined gets no attempt at all.
    if (attributes == kInvalidFileAttributes) return false;
    if ((attributes & kFileAttributeDirectory) != 0) {
        return MakeJunction(platform, src.view(), dst.view());
    }
    return platform.CreateHardLinkA(dst.c_str(), src.c_str(), nullptr);
}

// The same link from the paths as typed, through the wide calls.
bool MakeTypedLink(Platform& platform, const WideText& src, const WideText& dst) {
    const std::uint32_t attributes = platform.GetFileAttributesW(src.c_str());
    if (attributes == kInvalidFileAttributes) return false;
    if ((attributes & kFileAttributeDirectory) != 0) return MakeJunction(platform, src, dst);
    return platform.CreateHardLinkW(dst.c_str(), src.c_str(), nullptr);
}

}  // namespace

int RunLinkMaker(Platform& platform) {
    const SystemLocale locale = InitSystemLocale(platform);
    // What was typed: the ANSI command line is made from this one, and a
    // character its code page lacks may arrive as a look-alike with another
    // meaning (a yen sign as a backslash, a fullwidth quote as a quote).
    const WideText typedSrc = WideArgumentAt(platform, 1);
    const WideText typedDst = WideArgumentAt(platform, 2);
    // Arguments after the second are ignored. The usage note is for a line
    // that lacks a second argument as typed, whatever the ANSI line makes of
    // it: a look-alike of a blank or a quote may split it otherwise.
    if (typedDst.empty()) return ShowUsage(platform, locale);
    const AnsiText src = ArgumentAt(platform, 1);
    const AnsiText dst = ArgumentAt(platform, 2);
    // The ANSI calls get the paths only when they take both whole.
    // Otherwise the wide calls get the paths as typed, and no other path is
    // looked at.
    const bool made =
        AnsiCallsTake(platform, src, typedSrc) && AnsiCallsTake(platform, dst, typedDst)
            ? MakeLink(platform, src, dst)
            : MakeTypedLink(platform, typedSrc, typedDst);
    return made ? 0 : ShowError(platform, typedSrc, typedDst);
}

}  // namespace tolvik

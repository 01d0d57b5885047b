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
// where a box would wait for good for a click that cannot come. Where
// Windows cannot say, the box is shown.
bool BoxCanBeSeen(Platform& platform) {
    UserObjectFlags flags;  // read only where Windows answered
    const Handle station = platform.GetProcessWindowStation();
    if (station != nullptr &&
        platform.GetUserObjectInformationW(station, kUoiFlags, &flags, sizeof flags, nullptr))
        return (flags.dwFlags & kWsfVisible) != 0;
    return true;
}

// The boxes have no owner window and only the default OK button; which
// button closed them is not looked at.
void ShowUsage(Platform& platform, const SystemLocale& locale) {
    if (!BoxCanBeSeen(platform)) return;
    const AnsiText path = ArgumentAt(platform, 0);
    const AnsiText name = FileNamePart(locale.leadBytes, path.view());
    const AnsiText text = UsageText(name.view());
    platform.MessageBoxA(nullptr, text.c_str(), kUsageCaption.data(), kMbIconInformation);
}

void ShowError(Platform& platform, const AnsiText& src, const AnsiText& dst) {
    if (!BoxCanBeSeen(platform)) return;
    const AnsiText text = ErrorText(src.view(), dst.view());
    platform.MessageBoxA(nullptr, text.c_str(), kErrorCaption.data(), kMbIconError);
}

// Whether Windows reads the path back as exactly what was typed.
bool AsTyped(Platform& platform, const AnsiText& path, const WideText& typed) {
    return ToWide(platform, path.view()).view() == typed.view();
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

void RunLinkMaker(Platform& platform) {
    const SystemLocale locale = InitSystemLocale(platform);
    // What was typed: the ANSI command line is made from this one, and a
    // character its code page lacks may arrive as a look-alike with another
    // meaning (a yen sign as a backslash, a fullwidth quote as a quote).
    const WideText typedSrc = WideArgumentAt(platform, 1);
    const WideText typedDst = WideArgumentAt(platform, 2);
    // Arguments after the second are ignored. The usage note is for a line
    // that lacks a second argument both as typed and in ANSI; where the two
    // split differently, the typed one decides below.
    if (ArgumentCount(platform) < 2 && typedDst.empty()) {
        ShowUsage(platform, locale);
        return;
    }
    const AnsiText src = ArgumentAt(platform, 1);
    const AnsiText dst = ArgumentAt(platform, 2);
    // The ANSI calls get a path only when Windows reads it back as exactly
    // what was typed.
    if (AsTyped(platform, src, typedSrc) && AsTyped(platform, dst, typedDst)) {
        if (!MakeLink(platform, src, dst)) ShowError(platform, src, dst);
        return;
    }
    // Otherwise the wide calls get the paths as typed, and no other path is
    // looked at. One path typed, where the ANSI line has two, is no link: an
    // empty name is never handed to Windows. The box names what was typed,
    // each character the code page lacks as "?".
    if (typedDst.empty() || !MakeTypedLink(platform, typedSrc, typedDst)) {
        const AnsiText shownSrc = WithoutBestFit(platform, typedSrc.view());
        ShowError(platform, shownSrc, WithoutBestFit(platform, typedDst.view()));
    }
}

}  // namespace tolvik

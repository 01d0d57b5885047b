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

// The boxes have no owner window and only the default OK button; which
// button closed them is not looked at.
void ShowUsage(Platform& platform, const SystemLocale& locale) {
    const AnsiText path = ArgumentAt(platform, 0);
    const AnsiText name = FileNamePart(locale.leadBytes, path.view());
    const AnsiText text = UsageText(name.view());
    platform.MessageBoxA(nullptr, text.c_str(), kUsageCaption.data(), kMbIconInformation);
}

void ShowError(Platform& platform, const AnsiText& src, const AnsiText& dst) {
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

}  // namespace

void RunLinkMaker(Platform& platform) {
    const SystemLocale locale = InitSystemLocale(platform);
    // What was typed: the ANSI command line is made from this one, and a
    // character its code page lacks may arrive as a look-alike with another
    // meaning (a yen sign as a backslash, a fullwidth quote as a quote).
    const WideText typedSrc = WideArgumentAt(platform, 1);
    const WideText typedDst = WideArgumentAt(platform, 2);
    // Arguments after the second are ignored.
    if (ArgumentCount(platform) < 2 && typedDst.empty()) {
        ShowUsage(platform, locale);
        return;
    }
    const AnsiText src = ArgumentAt(platform, 1);
    const AnsiText dst = ArgumentAt(platform, 2);
    // A path is used only when Windows reads it back as exactly what was
    // typed. Otherwise nothing is touched, and the box names what was typed,
    // each character the code page lacks as "?".
    if (!AsTyped(platform, src, typedSrc) || !AsTyped(platform, dst, typedDst)) {
        const AnsiText shownSrc = WithoutBestFit(platform, typedSrc.view());
        ShowError(platform, shownSrc, WithoutBestFit(platform, typedDst.view()));
        return;
    }
    if (!MakeLink(platform, src, dst)) ShowError(platform, src, dst);
}

}  // namespace tolvik

#include "support/conversion.h"

namespace tolvik {

WideText ToWide(Platform& platform, std::string_view text, std::uint32_t codePage) {
    if (text.empty()) return WideText();
    const int length = static_cast<int>(text.size());
    // Asked for the size first: enough, though what is then written may be
    // less, and the text is what was written.
    const int size = platform.MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return WideText();
    WideText wide = WideText::OfLength(static_cast<std::size_t>(size));
    const int written =
        platform.MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
    if (written <= 0) return WideText();
    return WideText::Of(WideText::View(wide.c_str(), static_cast<std::size_t>(written)));
}

}  // namespace tolvik

#include "support/conversion.h"

namespace tolvik {
namespace {

// Asks `convert(nullptr, 0)` for the size first, then fills a text of that
// size. The size asked for first is enough; what is written may be less, and
// the text is what was written.
template <typename Unit, typename Convert>
BasicText<Unit> Converted(std::size_t length, Convert convert) {
    if (length == 0) return BasicText<Unit>();
    const int size = convert(nullptr, 0);
    if (size <= 0) return BasicText<Unit>();
    BasicText<Unit> text = BasicText<Unit>::OfLength(static_cast<std::size_t>(size));
    const int written = convert(text.data(), size);
    if (written <= 0) return BasicText<Unit>();
    return BasicText<Unit>::Of(
        typename BasicText<Unit>::View(text.c_str(), static_cast<std::size_t>(written)));
}

}  // namespace

WideText ToWide(Platform& platform, std::string_view text) {
    const int length = static_cast<int>(text.size());
    return Converted<char16_t>(text.size(), [&](char16_t* wide, int size) {
        return platform.MultiByteToWideChar(kCodePageAnsi, 0, text.data(), length, wide, size);
    });
}

AnsiText WithoutBestFit(Platform& platform, std::u16string_view text) {
    const int length = static_cast<int>(text.size());
    // UTF-8 refuses the flag: there the text stays empty.
    return Converted<char>(text.size(), [&](char* ansi, int size) {
        return platform.WideCharToMultiByte(kCodePageAnsi, kWcNoBestFitChars, text.data(), length,
                                            ansi, size);
    });
}

}  // namespace tolvik

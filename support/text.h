// Owned, counted, zero-terminated texts: ANSI bytes and UTF-16 units.
//
// The program is linked without the C++ runtime's exception support (it would
// make the executable ten times larger), so the texts live in plain heap
// blocks. A text is always followed by a zero unit, so its data can be handed
// to the platform's zero-terminated calls as it stands.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace tolvik {

// The exit status when a text cannot be allocated: the process ends at once,
// without a box and without touching anything else.
constexpr int kOutOfMemoryExitStatus = 3;

[[noreturn]] void ExitOutOfMemory();

template <typename Unit>
class BasicText {
  public:
    using View = std::basic_string_view<Unit>;

    BasicText() = default;
    BasicText(const BasicText&) = delete;
    BasicText& operator=(const BasicText&) = delete;
    BasicText(BasicText&& other) noexcept : units_(other.units_), length_(other.length_) {
        other.units_ = nullptr;
        other.length_ = 0;
    }
    BasicText& operator=(BasicText&& other) noexcept {
        if (this != &other) {
            std::free(units_);
            units_ = other.units_;
            length_ = other.length_;
            other.units_ = nullptr;
            other.length_ = 0;
        }
        return *this;
    }
    ~BasicText() { std::free(units_); }

    // A text of `length` units, all zero, to be filled through data(). This is
    // the one place that allocates.
    static BasicText OfLength(std::size_t length) {
        BasicText text;
        if (length == 0) return text;
        if (length > (static_cast<std::size_t>(-1) / sizeof(Unit)) - 1) ExitOutOfMemory();
        text.units_ = static_cast<Unit*>(std::calloc(length + 1, sizeof(Unit)));
        if (text.units_ == nullptr) ExitOutOfMemory();
        text.length_ = length;
        return text;
    }

    static BasicText Of(View view) {
        BasicText text = OfLength(view.size());
        if (!view.empty()) std::memcpy(text.units_, view.data(), view.size() * sizeof(Unit));
        return text;
    }

    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    Unit* data() { return units_; }
    // Never null: the empty text is an empty zero-terminated string.
    const Unit* c_str() const { return units_ != nullptr ? units_ : &kEmpty; }
    View view() const { return View(c_str(), length_); }

  private:
    static constexpr Unit kEmpty = 0;
    Unit* units_ = nullptr;
    std::size_t length_ = 0;
};

// A counted 8-bit string in the system's ANSI code page.
using AnsiText = BasicText<char>;
// A counted UTF-16 string.
using WideText = BasicText<char16_t>;

// Joins the pieces into one text, allocated once at its final length.
template <typename Unit>
BasicText<Unit> Concat(std::initializer_list<std::basic_string_view<Unit>> pieces) {
    std::size_t length = 0;
    for (auto piece : pieces) length += piece.size();
    BasicText<Unit> text = BasicText<Unit>::OfLength(length);
    if (length == 0) return text;
    Unit* out = text.data();
    for (auto piece : pieces) {
        if (piece.empty()) continue;
        std::memcpy(out, piece.data(), piece.size() * sizeof(Unit));
        out += piece.size();
    }
    return text;
}

}  // namespace tolvik

// Prints, as one hexadecimal number (0x...), the mount-point record the
// program would write for a junction to the given full path, which comes as
// UTF-8 text. Exit status 2 when the program refuses the target as too long,
// 1 on a usage or encoding error.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "links/mount_point.h"

namespace {

// UTF-8 to UTF-16; false on a malformed sequence.
bool ToUtf16(std::string_view utf8, std::u16string& utf16) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (i + length > utf8.size() || (lead >= 0x80 && lead < 0xC0) || lead >= 0xF8) return false;
        std::uint32_t code = length == 1 ? lead : lead & (0xFFu >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            utf16 += static_cast<char16_t>(0xD800 + (code >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            utf16 += static_cast<char16_t>(code);
        }
        i += length;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::u16string fullPath;
    if (argc != 2 || !ToUtf16(argv[1], fullPath)) {
        std::fprintf(stderr, "usage: mount_point_hex <full path, UTF-8>\n");
        return 1;
    }
    const tolvik::WideText target = tolvik::JunctionTarget(fullPath);
    tolvik::MountPointRequest request;
    if (!tolvik::BuildMountPointRequest(target.view(), request)) return 2;
    std::printf("0x");
    for (std::uint32_t i = 0; i < request.length; ++i) std::printf("%02x", request.bytes[i]);
    std::printf("\n");
    return 0;
}

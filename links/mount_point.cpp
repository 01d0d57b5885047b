#include "links/mount_point.h"

#include <cstring>

namespace tolvik {
namespace {

constexpr std::u16string_view kNtPrefix = u"\\??\\";
constexpr std::u16string_view kNtUncPrefix = u"\\??\\UNC\\";
constexpr std::u16string_view kLocalDevicePrefix = u"\\\\?\\";
constexpr std::u16string_view kDevicePrefix = u"\\\\.\\";
constexpr std::u16string_view kSharePrefix = u"\\\\";

void Put16(unsigned char* at, std::size_t value) {
    at[0] = static_cast<unsigned char>(value & 0xFFu);
    at[1] = static_cast<unsigned char>((value >> 8) & 0xFFu);
}

void Put32(unsigned char* at, std::uint32_t value) {
    Put16(at, value & 0xFFFFu);
    Put16(at + 2, value >> 16);
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           std::u16string_view(text.data(), prefix.size()) == prefix;
}

std::u16string_view After(std::u16string_view text, std::size_t count) {
    return std::u16string_view(text.data() + count, text.size() - count);
}

}  // namespace

bool BuildMountPointRequest(std::u16string_view target, MountPointRequest& request) {
    std::memset(&request, 0, sizeof request);
    const std::size_t nameBytes = target.size() * sizeof(char16_t);
    if (nameBytes > kMaxTargetBytes) return false;

    unsigned char* const bytes = request.bytes;
    Put32(bytes + 0, kReparseTagMountPoint);
    Put16(bytes + 4, nameBytes + 12);  // ReparseDataLength: everything after the 8-byte header
    Put16(bytes + 6, 0);               // Reserved
    Put16(bytes + 8, 0);               // SubstituteNameOffset
    Put16(bytes + 10, nameBytes);      // SubstituteNameLength
    Put16(bytes + 12, nameBytes + 2);  // PrintNameOffset: past the name's terminator
    Put16(bytes + 14, 0);              // PrintNameLength: the print name stays empty
    unsigned char* name = bytes + kMountPointHeaderSize;
    for (char16_t unit : target) {
        Put16(name, unit);
        name += 2;
    }
    // The two terminators that follow are still zero from the memset.
    request.length = static_cast<std::uint32_t>(kMountPointHeaderSize + nameBytes + 4);
    return true;
}

bool IsVerbatim(std::u16string_view path) {
    return StartsWith(path, kLocalDevicePrefix) || StartsWith(path, kNtPrefix);
}

WideText JunctionTarget(std::u16string_view fullPath) {
    if (StartsWith(fullPath, kNtPrefix)) return WideText::Of(fullPath);
    if (StartsWith(fullPath, kLocalDevicePrefix) || StartsWith(fullPath, kDevicePrefix)) {
        return Concat<char16_t>({kNtPrefix, After(fullPath, kLocalDevicePrefix.size())});
    }
    if (StartsWith(fullPath, kSharePrefix)) {
        return Concat<char16_t>({kNtUncPrefix, After(fullPath, kSharePrefix.size())});
    }
    return Concat<char16_t>({kNtPrefix, fullPath});
}

}  // namespace tolvik

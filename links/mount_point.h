// The mount-point reparse record that turns an empty directory into a
// junction, built as plain bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/text.h"

namespace tolvik {

constexpr std::uint32_t kReparseTagMountPoint = 0xA0000003u;  // IO_REPARSE_TAG_MOUNT_POINT

// The longest target the program writes is 267 UTF-16 units; 268 and more are
// refused. The request for that longest target is 8 bytes of header, 8 of name
// offsets and lengths, 534 of name and two zero terminators: 554 bytes.
constexpr std::size_t kMaxTargetBytes = 534;
constexpr std::size_t kMountPointHeaderSize = 16;
constexpr std::size_t kMountPointAreaSize = kMountPointHeaderSize + kMaxTargetBytes + 4;

struct MountPointRequest {
    unsigned char bytes[kMountPointAreaSize];
    std::uint32_t length;  // how many of the bytes make the request
};

// Fills `request` with the record whose substitute name is `target` and whose
// print name is empty. False, with nothing to send, when the target is too long.
bool BuildMountPointRequest(std::u16string_view target, MountPointRequest& request);

// True for a path that Windows takes as written, without making it full:
// one that starts with "\\?\" or is already in the NT form ("\??\").
bool IsVerbatim(std::u16string_view path);

// The junction's target for a full path: "\??\" before it, where the
// path's own "\\?\" or "\\.\" gives way to it, and a share (\\server\share)
// becomes \??\UNC\server\share; a path in the NT form stays as it is.
// Windows can only follow a junction whose target is a full path in this form.
WideText JunctionTarget(std::u16string_view fullPath);

}  // namespace tolvik

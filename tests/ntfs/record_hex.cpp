// Prints as 0x... the mount-point record the program writes for a junction to
// a full path, given as its UTF-16 units in hex ("0043 003A ..."). Exit status
// 2 when the program refuses the target as too long.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "links/mount_point.h"

int main(int argc, char** argv) {
    std::u16string fullPath;
    for (int i = 1; i < argc; ++i)
        fullPath += static_cast<char16_t>(std::strtoul(argv[i], nullptr, 16));
    tolvik::MountPointRequest request;
    if (!tolvik::BuildMountPointRequest(tolvik::JunctionTarget(fullPath).view(), request)) return 2;
    std::printf("0x");
    for (std::uint32_t i = 0; i < request.length; ++i) std::printf("%02x", request.bytes[i]);
}

#include "links/mount_point.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace tolvik {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes RequestBytes(const MountPointRequest& request) {
    return Bytes(request.bytes, request.bytes + request.length);
}

unsigned Field16(const MountPointRequest& request, std::size_t offset) {
    return static_cast<unsigned>(request.bytes[offset] | request.bytes[offset + 1] << 8);
}

TEST(MountPoint, RecordForCDataByteForByte) {
    MountPointRequest request;
    ASSERT_TRUE(BuildMountPointRequest(u"\\??\\C:\\data", request));
    const Bytes expected = {
        0x03, 0x00, 0x00, 0xA0,  // IO_REPARSE_TAG_MOUNT_POINT
        0x22, 0x00, 0x00, 0x00,  // ReparseDataLength 34, Reserved
        0x00, 0x00, 0x16, 0x00,  // substitute name at 0, 22 bytes
        0x18, 0x00, 0x00, 0x00,  // print name at 24, empty
        '\\', 0,    '?',  0,    '?', 0, '\\', 0, 'C',  0,    ':',  0,    '\\', 0,
        'd',  0,    'a',  0,    't', 0, 'a',  0, 0x00, 0x00, 0x00, 0x00,  // both terminators
    };
    EXPECT_EQ(RequestBytes(request), expected);
    EXPECT_EQ(request.length, 42u);
}

TEST(MountPoint, LengthLimit) {
    struct Case {
        std::size_t units;
        bool accepted;
        std::uint32_t length;
    };
    const Case cases[] = {
        {0, true, 20}, {266, true, 552}, {267, true, 554}, {268, false, 0}, {300, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        const std::u16string target(c.units, u'\x4E88');  // a unit with both bytes set
        MountPointRequest request;
        ASSERT_EQ(BuildMountPointRequest(target, request), c.accepted);
        if (!c.accepted) continue;
        ASSERT_EQ(request.length, c.length);
        const unsigned n = static_cast<unsigned>(c.units * 2);
        EXPECT_EQ(Field16(request, 4), n + 12);  // ReparseDataLength
        EXPECT_EQ(Field16(request, 4) + 8, request.length);
        EXPECT_EQ(Field16(request, 10), n);      // SubstituteNameLength
        EXPECT_EQ(Field16(request, 12), n + 2);  // PrintNameOffset
        if (n > 0) {
            EXPECT_EQ(request.bytes[16 + n - 2], 0x88);  // the name's last unit, little-endian
            EXPECT_EQ(request.bytes[16 + n - 1], 0x4E);
        }
        for (std::size_t i = 16 + n; i < request.length; ++i) EXPECT_EQ(request.bytes[i], 0) << i;
    }
}

TEST(MountPoint, TargetOfAFullPath) {
    struct Case {
        const char16_t* full;
        const char16_t* target;
    };
    const Case cases[] = {
        {u"C:\\data", u"\\??\\C:\\data"},
        {u"C:\\data\\", u"\\??\\C:\\data\\"},
        {u"\\\\?\\C:\\data", u"\\??\\C:\\data"},
        {u"\\\\.\\C:\\data", u"\\??\\C:\\data"},
        {u"\\\\?\\UNC\\server\\share", u"\\??\\UNC\\server\\share"},
        {u"\\\\server\\share\\data", u"\\??\\UNC\\server\\share\\data"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::u16string(JunctionTarget(c.full).view()), c.target)
            << testing::Narrow(c.full);
    }
}

}  // namespace
}  // namespace tolvik

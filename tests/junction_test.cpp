#include "links/junction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace tolvik {
namespace {

using testing::FakePlatform;
using Calls = std::vector<std::string>;

// The substitute name of a stored mount-point record.
std::u16string SubstituteName(const std::vector<unsigned char>& record) {
    const auto length = static_cast<std::size_t>(record.at(10) | record.at(11) << 8);
    std::u16string name;
    for (std::size_t i = 0; i < length; i += 2) {
        name += static_cast<char16_t>(record.at(16 + i) | record.at(17 + i) << 8);
    }
    return name;
}

TEST(Junction, MakesTheJunctionWithThePlatformsArguments) {
    FakePlatform platform;
    platform.AddDirectory(u"C:\\data");
    ASSERT_TRUE(MakeJunction(platform, "C:\\data", "D:\\link"));

    EXPECT_EQ(platform.FileSystemCalls(),
              (Calls{"CreateDirectoryW", "CreateFileW", "DeviceIoControl", "CloseHandle"}));
    ASSERT_EQ(platform.opens.size(), 1u);
    const testing::OpenCall& open = platform.opens[0];
    EXPECT_EQ(open.path, u"D:\\link");
    EXPECT_EQ(open.access, 0x40000000u);  // GENERIC_WRITE
    EXPECT_EQ(open.share, 0x3u);          // FILE_SHARE_READ | FILE_SHARE_WRITE
    EXPECT_EQ(open.disposition, 3u);      // OPEN_EXISTING
    EXPECT_EQ(open.flags, 0x02200000u);   // open reparse point, backup semantics
    EXPECT_FALSE(open.securityAttributes);
    EXPECT_FALSE(open.templateFile);
    ASSERT_EQ(platform.ioControls.size(), 1u);
    const testing::IoControlCall& io = platform.ioControls[0];
    EXPECT_EQ(io.code, 0x000900A4u);  // FSCTL_SET_REPARSE_POINT
    EXPECT_EQ(io.request.size(), 42u);
    EXPECT_FALSE(io.outBuffer);
    EXPECT_EQ(io.outSize, 0u);
    EXPECT_TRUE(io.bytesReturned);
    EXPECT_FALSE(io.overlapped);

    EXPECT_EQ(platform.nodes.at(u"D:\\link").reparse, io.request);
    EXPECT_EQ(platform.openHandles(), 0);
}

TEST(Junction, TargetIsTheSourcesFullPath) {
    struct Case {
        const char* src;
        const char16_t* target;
        std::uint32_t codePage = 1252;
    };
    const Case cases[] = {
        {"C:\\data", u"\\??\\C:\\data"},
        {"C:\\data\\", u"\\??\\C:\\data\\"},
        {"data", u"\\??\\C:\\work\\data"},
        {"C:data", u"\\??\\C:\\work\\data"},
        {"D:data", u"\\??\\D:\\data"},
        {"\\data", u"\\??\\C:\\data"},
        {"C:/data", u"\\??\\C:\\data"},
        {"..\\data", u"\\??\\C:\\data"},
        {"\\\\?\\C:\\data", u"\\??\\C:\\data"},
        {"\\\\.\\C:\\data", u"\\??\\C:\\data"},
        {"\\\\server\\share\\data", u"\\??\\UNC\\server\\share\\data"},
        // 予定表: each double-byte character is one UTF-16 unit.
        {"C:\\\x97\x5C\x92\xE8\x95\x5C", u"\\??\\C:\\\u4E88\u5B9A\u8868", 932},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        FakePlatform platform;
        platform.systemCodePage = c.codePage;
        ASSERT_TRUE(MakeJunction(platform, c.src, "D:\\link"));
        const auto& record = platform.nodes.at(u"D:\\link").reparse;
        EXPECT_EQ(SubstituteName(record), c.target);
        EXPECT_EQ(record.size(), 20 + 2 * std::u16string(c.target).size());
    }
}

TEST(Junction, LengthLimitAppliesToTheFinalTarget) {
    // \??\C:\ and then the name: 7 units before it.
    struct Case {
        std::size_t nameLength;
        bool made;
    };
    const Case cases[] = {{259, true}, {260, true}, {261, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nameLength);
        FakePlatform platform;
        EXPECT_EQ(MakeJunction(platform, "C:\\" + std::string(c.nameLength, 'n'), "D:\\link"),
                  c.made);
        EXPECT_EQ(platform.Exists(u"D:\\link"), c.made);
        if (c.made) {
            EXPECT_EQ(platform.nodes.at(u"D:\\link").reparse.size(), 2 * (7 + c.nameLength) + 20);
        }
        EXPECT_EQ(platform.openHandles(), 0);
    }
    // A relative source counts with the folder it is resolved against.
    FakePlatform platform;
    EXPECT_FALSE(MakeJunction(platform, std::string(256, 'n'), "D:\\link"));
    EXPECT_TRUE(platform.ioControls.empty());
}

TEST(Junction, EveryFailureTakesBackWhatItMade) {
    struct Case {
        const char* name;
        const char* dst;
        const char* failing;   // the call made to fail, if any
        bool noReparsePoints;  // a volume that refuses the record
        bool dstExistedBefore;
        Calls calls;
    };
    const Case cases[] = {
        {"destination exists", "D:\\link", nullptr, false, true, {"CreateDirectoryW"}},
        {"parent missing", "D:\\none\\link", nullptr, false, false, {"CreateDirectoryW"}},
        {"creation denied", "D:\\link", "CreateDirectoryW", false, false, {"CreateDirectoryW"}},
        {"open fails",
         "D:\\link",
         "CreateFileW",
         false,
         false,
         {"CreateDirectoryW", "CreateFileW", "RemoveDirectoryW"}},
        {"record refused",
         "D:\\link",
         "DeviceIoControl",
         false,
         false,
         {"CreateDirectoryW", "CreateFileW", "DeviceIoControl", "CloseHandle", "RemoveDirectoryW"}},
        {"no reparse points",
         "D:\\link",
         nullptr,
         true,
         false,
         {"CreateDirectoryW", "CreateFileW", "DeviceIoControl", "CloseHandle", "RemoveDirectoryW"}},
        {"full path unknown", "D:\\link", "GetFullPathNameW", false, false, {}},
        {"conversion fails", "D:\\link", "MultiByteToWideChar", false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.AddDirectory(u"C:\\data");
        if (c.dstExistedBefore) platform.AddDirectory(u"D:\\link");
        if (c.failing != nullptr) platform.failing.insert(c.failing);
        platform.reparsePointsSupported = !c.noReparsePoints;
        const auto before = platform.nodes.size();

        EXPECT_FALSE(MakeJunction(platform, "C:\\data", c.dst));
        EXPECT_EQ(platform.FileSystemCalls(), c.calls);
        EXPECT_EQ(platform.Exists(u"D:\\link"), c.dstExistedBefore);
        EXPECT_EQ(platform.nodes.size(), before);
        EXPECT_EQ(platform.openHandles(), 0);
        EXPECT_EQ(platform.doubleCloses, 0);
    }
}

TEST(Junction, TooLongTargetSendsNoRequest) {
    FakePlatform platform;
    EXPECT_FALSE(MakeJunction(platform, "C:\\" + std::string(261, 'n'), "D:\\link"));
    EXPECT_TRUE(platform.ioControls.empty());
    EXPECT_EQ(platform.FileSystemCalls(),
              (Calls{"CreateDirectoryW", "CreateFileW", "CloseHandle", "RemoveDirectoryW"}));
    EXPECT_FALSE(platform.Exists(u"D:\\link"));
}

}  // namespace
}  // namespace tolvik

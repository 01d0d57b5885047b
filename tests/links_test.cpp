// The junction's record and calls, and the choice between the two kinds of
// link, against the scripted platform: what only a double can show.
#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "links/junction.h"
#include "scripted_platform.h"

namespace tolvik {
namespace {

using testing::Log;
using testing::ScriptedPlatform;

// MakeJunction(C:\data, D:\link) when every call succeeds.
const Log kJunction = {"MultiByteToWideChar 0 0 C:\\data 0", "MultiByteToWideChar 0 0 C:\\data 7",
                       "GetFullPathNameW C:\\data 0", "GetFullPathNameW C:\\data 8",
                       "MultiByteToWideChar 0 0 D:\\link 0", "MultiByteToWideChar 0 0 D:\\link 7",
                       "CreateDirectoryW D:\\link 0",
                       // GENERIC_WRITE, shared for reading and writing, OPEN_EXISTING, the
                       // reparse point itself with backup semantics.
                       "CreateFileW D:\\link 40000000 3 0 3 2200000 0",
                       "DeviceIoControl 10 900A4 2A 0 0 1 0",  // FSCTL_SET_REPARSE_POINT, 42 bytes
                       "CloseHandle 10"};

// Whole runs. A box that is not shown (MessageBoxA answers 0 when it cannot be
// made or USER32 cannot be had) changes nothing.
TEST(Dispatch, WholeRuns) {
    Log junction = {"GetCPInfo 0", "GetCPInfo 0", "GetCPInfo 0", "GetFileAttributesA C:\\data"};
    junction.insert(junction.end(), kJunction.begin(), kJunction.end());
    const struct {
        const char* arguments;
        std::uint32_t attributes;
        Log log;  // its last call fails
    } runs[] = {{"", 0, {"GetCPInfo 0", "GetModuleFileNameA 105", "MessageBoxA 0 40"}},
                {" C:\\none D:\\link",
                 kInvalidFileAttributes,
                 {"GetCPInfo 0", "GetCPInfo 0", "GetCPInfo 0", "GetFileAttributesA C:\\none",
                  "MessageBoxA 0 10"}},
                {" C:\\data D:\\link", kFileAttributeDirectory, junction}};
    // The mount-point tag; ReparseDataLength 34; the substitute name at 0, 22
    // bytes long; the empty print name at 24; the name and both terminators.
    std::vector<unsigned char> request = {0x03, 0x00, 0x00, 0xA0, 0x22, 0x00, 0x00, 0x00,
                                          0x00, 0x00, 0x16, 0x00, 0x18, 0x00, 0x00, 0x00};
    for (char unit : std::string("\\??\\C:\\data\0", 13)) {
        request.insert(request.end(), {static_cast<unsigned char>(unit), 0});
    }
    for (const auto& run : runs) {
        ScriptedPlatform platform;
        platform.commandLine = std::string("tolvik.exe") + run.arguments;
        platform.attributes = run.attributes;
        platform.failingCall = run.log.size() - 1;
        RunLinkMaker(platform);
        EXPECT_EQ(platform.log, run.log);
        EXPECT_TRUE(platform.request.empty() || platform.request == request);
    }
}

TEST(Junction, EachFailingCallTakesBackWhatWasMade) {
    for (std::size_t failing = 0; failing < kJunction.size(); ++failing) {
        ScriptedPlatform platform;
        platform.failingCall = failing;
        // A handle that does not close, once the record is in, changes nothing.
        EXPECT_EQ(MakeJunction(platform, "C:\\data", "D:\\link"), failing == 9) << failing;
        if (failing < 6) {  // a path that was not converted is never handed to the volume
            for (const auto& call : platform.log) EXPECT_NE(call.rfind("Create", 0), 0u) << call;
            EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), kJunction[failing]), 1);
            continue;
        }
        // The handle is closed before the directory it names is removed.
        Log expected(kJunction.begin(),
                     kJunction.begin() + static_cast<std::ptrdiff_t>(failing) + 1);
        if (failing == 8) expected.push_back("CloseHandle 10");
        if (failing == 7 || failing == 8) expected.push_back("RemoveDirectoryW D:\\link");
        EXPECT_EQ(platform.log, expected);
    }
}

TEST(Junction, TargetIsTheFullPathInItsNtForm) {
    const struct {
        std::u16string fullPath;
        std::uint32_t sizeSlack;  // how much larger than needed the size answer is
        int growths;              // how often the path grows between two answers
        std::u16string target;    // empty: no junction
    } cases[] = {
        {u"\\\\?\\C:\\data", 0, 0, u"\\??\\C:\\data"},
        {u"\\\\.\\C:\\data", 0, 0, u"\\??\\C:\\data"},
        {u"\\\\server\\share\\data", 0, 0, u"\\??\\UNC\\server\\share\\data"},
        // Windows sizes .\data, ..\data and C:\x\..\data before shortening them.
        {u"C:\\data", 1, 0, u"\\??\\C:\\data"},
        {u"C:\\data", 3, 0, u"\\??\\C:\\data"},
        {u"C:\\data", 100, 0, u"\\??\\C:\\data"},
        // The current directory changes between the calls: asked again, four calls at most.
        {u"C:\\data", 0, 2, u"\\??\\C:\\dataxx"},
        {u"C:\\data", 0, 3, u""},
        {u"C:\\" + std::u16string(260, u'n'), 0, 0, u"\\??\\C:\\" + std::u16string(260, u'n')},
        {u"C:\\" + std::u16string(261, u'n'), 0, 0, u""},  // 268 units: refused
    };
    for (const auto& c : cases) {
        ScriptedPlatform platform;
        platform.fullPath = c.fullPath;
        platform.sizeSlack = c.sizeSlack;
        platform.growths = c.growths;
        EXPECT_EQ(MakeJunction(platform, "data", "L"), !c.target.empty());  // a name of one letter
        const std::size_t bytes = c.target.size() * 2;
        if (c.target.empty()) {  // no request; a directory made for it is closed, then removed
            EXPECT_TRUE(platform.request.empty());
            EXPECT_EQ(platform.log.back(),
                      c.growths ? "MultiByteToWideChar 0 0 L 1" : "RemoveDirectoryW L");
            continue;
        }
        ASSERT_EQ(platform.request.size(), bytes + 20);  // 554 bytes for the longest
        EXPECT_EQ(platform.request[bytes + 16] | platform.request[bytes + 18], 0);
        EXPECT_EQ(platform.request[4] | platform.request[5] << 8, bytes + 12);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(&platform.request[16]),
                                 c.target.size()),
                  c.target);
    }
}

}  // namespace
}  // namespace tolvik

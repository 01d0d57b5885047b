// The junction's record and calls, and the choice between the two kinds of
// link, against the scripted platform: what only a double can show.
#include <gtest/gtest.h>

#include <cstring>

#include "app/dispatch.h"
#include "app/messages.h"
#include "links/junction.h"
#include "links/mount_point.h"
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

// The request for a target: the mount-point tag, ReparseDataLength, Reserved,
// the substitute name at 0, the empty print name past its terminator, then
// the name and both terminators.
std::vector<unsigned char> Request(const std::u16string& target) {
    const auto n = static_cast<char16_t>(target.size() * 2);
    const std::u16string units = std::u16string{3, 0xA000, static_cast<char16_t>(n + 12), 0,
                                                0, n,      static_cast<char16_t>(n + 2),  0} +
                                 target + u'\0' + u'\0';
    const auto* bytes = reinterpret_cast<const unsigned char*>(units.data());  // little-endian
    return std::vector<unsigned char>(bytes, bytes + units.size() * 2);
}

// Whole runs. A box that is not shown (MessageBoxA answers 0 when it cannot be
// made or USER32 cannot be had) changes nothing; each run again where nobody
// can see a box: the same calls up to the question, then none, and where
// either question fails, the box as ever. Started by a Unicode program,
// the ANSI line is made from the one typed: where a best fit rewrote a path
// (the hyphen U+2010 as "-" in 1252), the wide calls get both as typed, and
// the box names them without best fit.
TEST(Dispatch, WholeRuns) {
    const auto join = [](Log a, Log b) { return a.insert(a.end(), b.begin(), b.end()), a; };
    // Three splits; both paths read back as they were typed; the source examined.
    const Log ansi = {"GetCPInfo 0", "GetCPInfo 0", "GetCPInfo 0", kJunction[0],
                      kJunction[1],  kJunction[4],  kJunction[5],  "GetFileAttributesA C:\\data"};
    const Log asked = {"GetProcessWindowStation", "GetUserObjectInformationW 30 1 C 0"};
    const char* const showBox = "MessageBoxA 0 10";
    // clang-format off
    const Log usage = {"GetCPInfo 0", asked[0], asked[1], "GetModuleFileNameA 105", "MessageBoxA 0 40"};
    const Log typed = {"GetCPInfo 0", "GetCPInfo 0", "GetCPInfo 0", "MultiByteToWideChar 0 0 a-b 0",
                       "MultiByteToWideChar 0 0 a-b 3", "GetFileAttributesW a\020b"};
    const Log box = {"WideCharToMultiByte 0 400 a\020b 0", "WideCharToMultiByte 0 400 a\020b 3",
                     "WideCharToMultiByte 0 400 c 0", "WideCharToMultiByte 0 400 c 1", asked[0], asked[1], showBox};
    const Log junction = {"GetFullPathNameW a\020b 0", "GetFullPathNameW a\020b 8", "CreateDirectoryW c 0",
                          "CreateFileW c 40000000 3 0 3 2200000 0", kJunction[8], kJunction[9]};
    // One path typed, two in the ANSI line: no link, nothing examined.
    const Log onePath = {"GetCPInfo 0", "GetCPInfo 0", "GetCPInfo 0", "MultiByteToWideChar 0 0 a 0",
                         "MultiByteToWideChar 0 0 a 1", "WideCharToMultiByte 0 400 a\002 b 0",
                         "WideCharToMultiByte 0 400 a\002 b 4", asked[0], asked[1], showBox};
    // clang-format on
    const struct {
        std::uint32_t attributes;
        std::u16string typed;
        Log log;                // its last call fails
        const char *src, *dst;  // the paths in the box, for a typed line
    } runs[] = {{0, u"", usage, {}, {}},
                {kInvalidFileAttributes, u"", join(ansi, {asked[0], asked[1], showBox}), {}, {}},
                {kFileAttributeDirectory, u"", join(ansi, kJunction), {}, {}},
                {kInvalidFileAttributes, u"t a\u2010b c", join(typed, box), "a?b", "c"},
                {kFileAttributeDirectory, u"t a\u2010b c", join(typed, junction), {}, {}},
                {0x20, u"t \"a\uFF02 b\"", onePath, "a? b", ""}};
    for (const auto& run : runs) {
        const auto at = std::find(run.log.begin(), run.log.end(), asked[0]) - run.log.begin();
        for (int way = 0; way < 4; ++way) {  // seen; unseen; unseen, either question failing
            ScriptedPlatform platform;
            if (run.attributes != 0) platform.commandLine += " C:\\data D:\\link";
            platform.typedLine = run.typed;
            platform.attributes = run.attributes;
            platform.visible = way == 0;
            platform.failingCall = way < 2 ? run.log.size() - 1 : std::size_t(at + way - 2);
            RunLinkMaker(platform);
            Log expected = run.log;
            if (way == 1) expected.resize(std::min(std::size_t(at + 2), expected.size()));
            if (way == 2)
                expected.erase(std::remove(expected.begin(), expected.end(), asked[1]),
                               expected.end());
            EXPECT_EQ(platform.log, expected) << way;
            EXPECT_TRUE(platform.request.empty() || platform.request == Request(u"\\??\\C:\\data"));
            EXPECT_EQ(platform.box,
                      run.src && way != 1 ? ErrorText(run.src, run.dst).c_str() : platform.box);
        }
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
        Log expected(kJunction.begin(), kJunction.begin() + std::ptrdiff_t(failing + 1));
        if (failing == 8) expected.push_back("CloseHandle 10");
        if (failing == 7 || failing == 8) expected.push_back("RemoveDirectoryW D:\\link");
        EXPECT_EQ(platform.log, expected);
    }
}

// Whatever the buffer held before, the request is the record alone, its
// terminators included.
TEST(Junction, RequestOverAnyBuffer) {
    MountPointRequest request;
    std::memset(&request, 0xAA, sizeof request);
    ASSERT_TRUE(BuildMountPointRequest(u"\\??\\C:\\d", request));
    EXPECT_EQ(std::vector<unsigned char>(request.bytes, request.bytes + request.length),
              Request(u"\\??\\C:\\d"));
}

TEST(Junction, TargetIsTheFullPathInItsNtForm) {
    const struct {
        std::u16string fullPath;
        std::uint32_t sizeSlack;  // how much larger than needed the size answer is
        int growths;              // how often the path grows between two answers
        std::u16string target;    // empty: no junction
        const char* src = "data";
    } cases[] = {
        {u"\\\\?\\C:\\data", 0, 0, u"\\??\\C:\\data"},
        {u"\\\\.\\C:\\data", 0, 0, u"\\??\\C:\\data"},
        {u"\\\\server\\share\\data", 0, 0, u"\\??\\UNC\\server\\share\\data"},
        // Windows sizes .\data, ..\data and C:\x\..\data before shortening them.
        {u"C:\\data", 1, 0, u"\\??\\C:\\data"},
        {u"C:\\data", 100, 0, u"\\??\\C:\\data"},
        // The current directory changes between the calls: asked again, four calls at most.
        {u"C:\\data", 0, 2, u"\\??\\C:\\dataxx"},
        {u"C:\\data", 0, 3, u""},
        {u"C:\\" + std::u16string(260, u'n'), 0, 0, u"\\??\\C:\\" + std::u16string(260, u'n')},
        {u"C:\\" + std::u16string(261, u'n'), 0, 0, u""},  // 268 units: refused
        // Taken as written, as Windows examines them: nothing trimmed, no drive.
        {u"\\\\?\\C:\\t\\data", 0, 0, u"\\??\\C:\\t\\data. ", "\\\\?\\C:\\t\\data. "},
        {u"C:\\??\\C:\\t", 0, 0, u"\\??\\C:\\t", "\\??\\C:\\t"},
    };
    for (const auto& c : cases) {
        ScriptedPlatform platform;
        platform.fullPath = c.fullPath;
        platform.sizeSlack = c.sizeSlack;
        platform.growths = c.growths;
        EXPECT_EQ(MakeJunction(platform, c.src, "L"), !c.target.empty());  // a name of one letter
        // No request for no junction; a directory made for it is closed, then removed.
        EXPECT_EQ(platform.request,
                  c.target.empty() ? std::vector<unsigned char>() : Request(c.target));
        if (c.target.empty()) {
            EXPECT_EQ(platform.log.back(),
                      c.growths ? "MultiByteToWideChar 0 0 L 1" : "RemoveDirectoryW L");
        }
    }
}

}  // namespace
}  // namespace tolvik

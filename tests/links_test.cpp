// The junction's record and calls, and the choice between the two kinds of
// link, against the scripted platform: what only a double can show.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

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

// Whole runs: what reaches the volume and the box a person reads. Started by
// a Unicode program, the ANSI line is made from the one typed: where the code
// page lacks a character of a path (the hyphen U+2010 in 1252), the wide calls
// get both as typed. Each run with a box again where nobody can see it: the same
// calls to the volume and no box; and where either question fails, the box.
TEST(Dispatch, WholeRuns) {
    ScriptedPlatform shown;
    const std::u16string usage(UsageNote(shown, u"tolvik.exe").text.view()),
        error(ErrorBox(shown, u"C:\\data", u"D:\\link").text.view());
    const std::string quiet =
        " GetCPInfo MultiByteToWideChar GetModuleFileNameA GetModuleFileNameW "
        "GetProcessWindowStation GetUserObjectInformationW ";
    // clang-format off
    const Log ansi = {"GetFileAttributesA C:\\data", "GetFullPathNameW C:\\data 0", "GetFullPathNameW C:\\data 8",
                      kJunction[6], kJunction[7], kJunction[8], kJunction[9]};
    const Log typed = {"GetFileAttributesW a\020b", "GetFullPathNameW a\020b 0", "GetFullPathNameW a\020b 8",
                       "CreateDirectoryW c 0", "CreateFileW c 40000000 3 0 3 2200000 0", kJunction[8], kJunction[9]};
    // The attributes, the line typed (empty: started with "tolvik.exe C:\data
    // D:\link" in ANSI), the calls to the volume, then the box's, the box.
    const std::tuple<std::uint32_t, std::u16string, Log, std::u16string> runs[] = {
        {kInvalidFileAttributes, u"tolvik.exe", {"MessageBoxW 0 40"}, usage},
        {kInvalidFileAttributes, u"", {ansi[0], "MessageBoxW 0 10"}, error},
        {kFileAttributeDirectory, u"", ansi, u""},
        {kFileAttributeDirectory, u"t a\u2010b c", typed, u""}};
    // clang-format on
    for (const auto& [attributes, typedLine, made, box] : runs) {
        std::size_t asked = 0;  // where the first question is asked
        for (int way = 0; way < (box.empty() ? 1 : 4); ++way) {  // seen, unseen, a question fails
            ScriptedPlatform platform;
            platform.commandLine += " C:\\data D:\\link";
            platform.typedLine = typedLine, platform.attributes = attributes;
            platform.visible = way == 0;
            if (way > 1) platform.failingCall = asked + std::size_t(way) - 2;
            RunLinkMaker(platform);
            Log calls;
            for (const auto& call : platform.log) {
                if (call == "GetProcessWindowStation")
                    asked = std::size_t(&call - &platform.log[0]);
                if (quiet.find(" " + call.substr(0, call.find(' ')) + " ") == std::string::npos)
                    calls.push_back(call);
            }
            Log expected = made;
            if (way == 1) expected.pop_back();  // no box
            EXPECT_EQ(calls, expected);
            EXPECT_EQ(platform.box, way == 1 ? u"" : box);
        }
    }
}

// The usage note's name: as Windows holds it where the code page lacks a
// character of the path, the ANSI one where Windows does not say. Without a
// table for 932 (Windows XP without East Asian support) the fixed pieces are
// read in the system's code page, as the ANSI box showed them; the double
// reads 932 bytes one by one too, so each row shows that nothing is lost.
TEST(Dispatch, UsageNoteName) {
    // The ANSI path, the one Windows holds, the failing call (3: GetModuleFileNameW,
    // after the two questions), no 932, the name.
    // clang-format off
    const std::tuple<const char*, std::u16string, std::size_t, bool, std::u16string> cases[] = {
        {"C:\\t\\?.exe", u"C:\\t\\\uD55C.exe", 99, false, u"\uD55C.exe"},
        {"C:\\t\\?.exe", u"C:\\t\\\uD55C.exe", 3, false, u"?.exe"}, {"C:\\t\\a.exe", u"", 99, true, u"a.exe"}};
    // clang-format on
    for (const auto& [ansi, held, failing, without932, name] : cases) {
        ScriptedPlatform platform;
        platform.moduleFileName = ansi, platform.heldModuleFileName = held;
        platform.failingCall = failing, platform.without932 = without932;
        RunLinkMaker(platform);
        // 【書式】 and the rest, byte by byte.
        EXPECT_EQ(platform.box, u"\u0081y\u008F\u0091\u008E\u00AE\u0081z" + name + u" [src] [dst]");
    }
}

// A path of MAX_PATH units or more sends both paths to the wide calls as
// typed: Windows takes them there with \\?\, or without it once long paths
// are on, and refuses them otherwise. A path one unit shorter stays with the
// ANSI calls, whatever its bytes (＼ is two in 932). A junction's directory
// at such a DST is made with \\?\ and refused without it, leaving nothing.
// The run's last call.
TEST(Dispatch, LongPaths) {
    const std::u16string verbatim = u"\\\\?\\C:\\" + std::u16string(252, u'＼'),  // 259 units
        plain = u"C:\\" + std::u16string(257, u'd'), longer = verbatim + u'd';    // 260
    // SRC, DST, their attributes, long paths on, the last call.
    // clang-format off
    const std::tuple<std::u16string, std::u16string, std::uint32_t, bool, const char*> runs[] = {
        {verbatim, u"L", 0x20, false, "CreateHardLinkA"}, {u"F", longer, 0x20, false, "CreateHardLinkW"},
        {plain, u"L", 0x20, false, "MessageBox"},         {plain, u"L", 0x20, true, "CreateHardLinkW"},
        {u"D", longer, 0x10, false, "CloseHandle"},       {u"D", plain, 0x10, false, "MessageBox"}};
    // clang-format on
    for (const auto& [src, dst, attributes, longPaths, last] : runs) {
        ScriptedPlatform platform;
        platform.acp = 932, platform.attributes = attributes, platform.longPathsEnabled = longPaths;
        platform.typedLine = u"t " + src + u" " + dst;
        RunLinkMaker(platform);
        EXPECT_EQ(platform.log.back().rfind(last, 0), 0u) << platform.log.back();
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
    // The full path, how much larger than needed the size answer is, how often
    // the path grows between two answers, the target (empty: no junction), the source.
    // clang-format off
    const std::tuple<std::u16string, std::uint32_t, int, std::u16string, const char*> cases[] = {
        {u"\\\\?\\C:\\data", 0, 0, u"\\??\\C:\\data", "data"},
        {u"\\\\.\\C:\\data", 0, 0, u"\\??\\C:\\data", "data"},
        {u"\\\\server\\share\\data", 0, 0, u"\\??\\UNC\\server\\share\\data", "data"},
        // Windows sizes .\data, ..\data and C:\x\..\data before shortening them.
        {u"C:\\data", 1, 0, u"\\??\\C:\\data", "data"},
        // The current directory changes between the calls: asked again, four calls at most.
        {u"C:\\data", 0, 2, u"\\??\\C:\\dataxx", "data"},
        {u"C:\\data", 0, 3, u"", "data"},
        {u"C:\\" + std::u16string(260, u'n'), 0, 0, u"\\??\\C:\\" + std::u16string(260, u'n'), "data"},
        {u"C:\\" + std::u16string(261, u'n'), 0, 0, u"", "data"},  // 268 units: refused
        // Taken as written, as Windows examines them: nothing trimmed, no drive.
        {u"\\\\?\\C:\\t\\data", 0, 0, u"\\??\\C:\\t\\data. ", "\\\\?\\C:\\t\\data. "},
        {u"C:\\??\\C:\\t", 0, 0, u"\\??\\C:\\t", "\\??\\C:\\t"}};
    // clang-format on
    for (const auto& [fullPath, sizeSlack, growths, target, src] : cases) {
        ScriptedPlatform platform;
        platform.fullPath = fullPath, platform.sizeSlack = sizeSlack, platform.growths = growths;
        EXPECT_EQ(MakeJunction(platform, src, "L"), !target.empty());  // a name of one letter
        // No request for no junction; a directory made for it is closed, then removed.
        EXPECT_EQ(platform.request,
                  target.empty() ? std::vector<unsigned char>() : Request(target));
        if (target.empty()) {
            EXPECT_EQ(platform.log.back(),
                      growths ? "MultiByteToWideChar 0 0 L 1" : "RemoveDirectoryW L");
        }
    }
}

}  // namespace
}  // namespace tolvik

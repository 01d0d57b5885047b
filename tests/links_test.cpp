// The junction's record and calls, and the choice between the two kinds of
// link, against the scripted platform: what only a double can show, as Wine
// refuses every junction and answers every call kindly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "app/dispatch.h"
#include "app/messages.h"
#include "links/junction.h"
#include "scripted_platform.h"

namespace tolvik {
namespace {

using testing::Log;
using testing::ScriptedPlatform;

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

// Where nobody can see a box, none is shown and the status tells what it
// would have said. In session 0, from Windows Vista (6.0) on, nobody sees one;
// Windows XP's session 0 is the console's, Windows 8.1 and later answer 6.2,
// and where Windows cannot say, the box is shown. Nobody is asked after a
// link that was made, and the usage note looks at no path.
TEST(Dispatch, WhereNobodySeesTheBox) {
    constexpr std::uint32_t kWindows81 = 0x23F00206u, kXp = 0x0A280105u;
    ScriptedPlatform texts;
    const std::u16string usage(UsageNote(texts, u"tolvik.exe").text.view()),
        error(ErrorBox(texts, u"a", u"b").text.view());
    struct Run {
        const char* paths = " a b";  // typed after the program's name
        bool made = false;
        const char* unanswered = "";                       // the question Windows cannot answer
        std::uint32_t session = 1, version = 0x17700006u;  // Windows Vista
        int status = 0;
    };
    // clang-format off
    const Run runs[] = {
        {.paths = " a"}, {.made = true}, {},
        {.unanswered = "GetProcessWindowStation"}, {.unanswered = "GetUserObjectInformationW"},
        {.unanswered = "ProcessIdToSessionId", .session = 0},
        {.session = 0, .version = kWindows81, .status = kExitLinkNotMade},
        {.session = 0, .version = kXp}};
    // clang-format on
    for (const Run& run : runs) {
        SCOPED_TRACE(&run - runs);
        ScriptedPlatform platform;
        platform.commandLine += run.paths, platform.session = run.session;
        platform.version = run.version;
        if (!run.made) platform.Fail("CreateHardLinkA");
        if (*run.unanswered) platform.Fail(run.unanswered);
        const bool note = std::strlen(run.paths) < 4, box = !run.made && run.status == 0;
        EXPECT_EQ(RunLinkMaker(platform), run.status);
        EXPECT_EQ(platform.box, !box ? u"" : note ? usage : error);
        EXPECT_EQ(platform.Volume(), run.made ? u"b: hard link to a" : u"");
        EXPECT_EQ(platform.Calls({"GetProcessWindowStation", "ProcessIdToSessionId"}),
                  run.made ? 0u : 2u);
        EXPECT_EQ(platform.Calls({"GetFileAttributesA", "GetFileAttributesW"}), note ? 0u : 1u);
    }
}

// A path of MAX_PATH units or more, whatever its bytes (＼ is two in 932),
// sends both paths to the wide calls as typed, which take it with \\?\ and,
// long paths being off, refuse it without; a junction's directory refused
// there leaves nothing.
TEST(Dispatch, LongPaths) {
    std::string verbatim = "\\\\?\\C:\\", plain = "C:\\" + std::string(257, 'd');
    for (int unit = 0; unit < 253; ++unit) verbatim += "\x81\x5F";  // 260 units
    struct Run {
        std::string src, dst;
        bool directory = false;
        std::u16string volume = u"";
    };
    const Run runs[] = {
        {.src = "F",
         .dst = verbatim,
         .volume = u"\\\\?\\C:\\" + std::u16string(253, u'＼') + u": hard link to F"},
        {.src = plain, .dst = "L"},
        {.src = "D", .dst = plain, .directory = true}};
    for (const Run& run : runs) {
        ScriptedPlatform platform;
        platform.acp = 932, platform.commandLine = "t " + run.src + " " + run.dst;
        platform.attributes = run.directory ? kFileAttributeDirectory : 0x20;
        RunLinkMaker(platform);
        EXPECT_EQ(platform.Volume(), run.volume);
        EXPECT_EQ(platform.box.empty(), !run.volume.empty());
    }
}

// The order Windows needs: the directory made, opened as a reparse point for
// writing, the record set and the handle closed. Then each call failed in
// turn: no junction, nothing left on the volume, nothing created in the name
// of a path that was not converted, and the handle closed exactly when it was
// opened, before the directory is removed. A handle that does not close, once
// the record is in, changes nothing.
TEST(Junction, EachFailingCallTakesBackWhatWasMade) {
    ScriptedPlatform good;
    ASSERT_TRUE(MakeJunction(good, "C:\\data", "D:\\link"));
    EXPECT_EQ(Log(std::find(good.log.begin(), good.log.end(), "CreateDirectoryW"), good.log.end()),
              Log({"CreateDirectoryW", "CreateFileW", "DeviceIoControl", "CloseHandle"}));
    std::map<std::string, int> seen;
    for (const auto& call : good.log) {
        const int occurrence = ++seen[call];
        SCOPED_TRACE(call + " " + std::to_string(occurrence));
        ScriptedPlatform platform;
        platform.Fail(call, occurrence);
        const bool made = MakeJunction(platform, "C:\\data", "D:\\link");
        EXPECT_EQ(made, call == "CloseHandle");
        EXPECT_EQ(platform.Volume(), made ? good.Volume() : u"");
        EXPECT_EQ(platform.Calls({"CreateDirectoryW"}), seen.count("CreateDirectoryW"));
        EXPECT_EQ(platform.Calls({"CloseHandle"}), seen.count("DeviceIoControl"));
        const auto at = [&](const char* name) {
            return std::find(platform.log.begin(), platform.log.end(), name);
        };
        if (seen.count("DeviceIoControl") && !made) {
            EXPECT_LT(at("CloseHandle"), at("RemoveDirectoryW"));
        }
    }
}

TEST(Junction, TargetIsTheFullPathInItsNtForm) {
    struct Case {
        std::u16string fullPath;      // what Windows makes of the source
        std::uint32_t sizeSlack = 0;  // how much larger than needed its size answer is
        int growths = 0;              // how often it grows between two answers
        const char* src = "data";
        std::u16string target = u"";  // empty: no junction
    };
    const std::u16string n260(260, u'n'), data = u"\\??\\C:\\data";
    // clang-format off
    const Case cases[] = {
        {.fullPath = u"\\\\.\\C:\\data", .target = data},
        // Windows sizes .\data, ..\data and C:\x\..\data before shortening them.
        {.fullPath = u"C:\\data", .sizeSlack = 1, .target = data},
        {.fullPath = u"\\\\server\\share\\data", .target = u"\\??\\UNC\\server\\share\\data"},
        // The current directory changes between the calls: asked again, four calls at most.
        {.fullPath = u"C:\\data", .growths = 2, .target = data + u"xx"},
        {.fullPath = u"C:\\data", .growths = 3},
        {.fullPath = u"C:\\" + n260, .target = u"\\??\\C:\\" + n260},
        {.fullPath = u"C:\\" + n260 + u'n'},  // 268 units: refused
        // Taken as written, as Windows examines them: nothing trimmed, no drive.
        {.fullPath = u"\\\\?\\C:\\t\\data", .src = "\\\\?\\C:\\t\\data. ",
         .target = u"\\??\\C:\\t\\data. "},
        {.fullPath = u"C:\\??\\C:\\t", .src = "\\??\\C:\\t", .target = u"\\??\\C:\\t"}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fullPath.size());
        ScriptedPlatform platform;
        platform.fullPath = c.fullPath, platform.sizeSlack = c.sizeSlack;
        platform.growths = c.growths;
        EXPECT_EQ(MakeJunction(platform, c.src, "L"), !c.target.empty());
        // No request for no junction, and nothing left.
        EXPECT_EQ(platform.request,
                  c.target.empty() ? std::vector<unsigned char>() : Request(c.target));
        EXPECT_EQ(platform.Volume().empty(), c.target.empty());
    }
}

}  // namespace
}  // namespace tolvik

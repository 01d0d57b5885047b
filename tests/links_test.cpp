// The junction's record and calls, and the choice between the two kinds of
// link, against the scripted platform: what only a double can show, as Wine
// refuses every junction and answers every call kindly.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

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

// The calls of the log with one of these names.
Log Calls(const Log& log, const std::set<std::string>& names) {
    Log calls;
    for (const auto& call : log)
        if (names.count(call.substr(0, call.find(' ')))) calls.push_back(call);
    return calls;
}
const std::set<std::string> kJunctionCalls = {"CreateDirectoryW", "CreateFileW", "DeviceIoControl",
                                              "CloseHandle", "RemoveDirectoryW"};
const std::set<std::string> kFileSystemCalls = {"GetFileAttributesA", "GetFileAttributesW",
                                                "CreateHardLinkA",    "CreateHardLinkW",
                                                "CreateDirectoryW",   "CreateFileW"};

// Whole runs, started with "tolvik.exe C:\data D:\link" in ANSI or by a
// Unicode program with a typed line. Where the code page lacks a character
// of a path (the hyphen U+2010 in 1252), the wide calls get both as typed.
// Where Windows cannot say whether anybody sees a box, the box is shown;
// nobody is asked where no box would be.
TEST(Dispatch, WholeRuns) {
    ScriptedPlatform shown;
    const std::u16string usage(UsageNote(shown, u"tolvik.exe").text.view()),
        error(ErrorBox(shown, u"C:\\data", u"D:\\link").text.view());
    struct Run {
        std::u16string typedLine{};  // empty: the ANSI line
        std::uint32_t attributes;
        std::string volume{};  // empty: nothing made
        std::u16string box{};  // empty: none
    };
    const Run runs[] = {
        {.typedLine = u"tolvik.exe", .attributes = kFileAttributeDirectory, .box = usage},
        {.attributes = kInvalidFileAttributes, .box = error},
        {.attributes = kFileAttributeDirectory, .volume = "D:\\link: junction to \\??\\C:\\data"},
        {.typedLine = u"t a\u2010b c",
         .attributes = kFileAttributeDirectory,
         .volume = "c: junction to \\??\\C:\\data"},
    };
    for (const Run& run : runs) {
        for (const char* failing :
             {"", "GetProcessWindowStation", "GetUserObjectInformationW", "ProcessIdToSessionId"}) {
            SCOPED_TRACE(std::to_string(&run - runs) + failing);
            ScriptedPlatform platform;
            platform.commandLine += " C:\\data D:\\link";
            platform.typedLine = run.typedLine, platform.attributes = run.attributes;
            if (*failing) platform.Fail(failing);
            EXPECT_EQ(RunLinkMaker(platform), 0);
            EXPECT_EQ(platform.Volume(), run.volume);
            EXPECT_EQ(platform.box, run.box);
            EXPECT_EQ(
                Calls(platform.log, {"GetProcessWindowStation", "ProcessIdToSessionId"}).size(),
                run.box.empty() ? 0u : 2u);
            // The usage note is all a line of fewer than two paths gets.
            EXPECT_EQ(Calls(platform.log, kFileSystemCalls).empty(), run.box == usage);
        }
    }
}

// In session 0, from Windows Vista (6.0) on, nobody sees a box: the status
// tells. Windows XP's session 0 is the console's, and where Windows cannot
// say which session it is, the box is shown. Windows 8.1 and later answer 6.2.
TEST(Dispatch, SessionZero) {
    struct Run {
        std::uint32_t session, version;
        bool fails = false;
        bool box;
    };
    const Run runs[] = {{.session = 0, .version = 0x17700006u, .box = false},
                        {.session = 0, .version = 0x23F00206u, .box = false},
                        {.session = 0, .version = 0x0A280105u, .box = true},
                        {.session = 0, .version = 0x17700006u, .fails = true, .box = true},
                        {.session = 2, .version = 0x23F00206u, .box = true}};
    for (const Run& run : runs) {
        SCOPED_TRACE(&run - runs);
        ScriptedPlatform platform;
        platform.commandLine += " C:\\data D:\\link", platform.attributes = kInvalidFileAttributes;
        platform.session = run.session, platform.version = run.version;
        if (run.fails) platform.Fail("ProcessIdToSessionId");
        EXPECT_EQ(RunLinkMaker(platform), run.box ? 0 : kExitLinkNotMade);
        EXPECT_EQ(platform.box.empty(), !run.box);
    }
}

// The usage note's name where Windows does not say how it holds the path,
// and the fixed texts read in the system's code page where Windows has no
// table for 932 (Windows XP without East Asian support), as the ANSI box
// showed them: the double reads 932 bytes one by one, so nothing is lost.
TEST(Dispatch, UsageNoteName) {
    struct Case {
        const char* path;
        std::u16string held{};
        bool pathFails = false;
        bool without932 = false;
        std::u16string name;
    };
    const Case cases[] = {
        {.path = "C:\\t\\?.exe", .held = u"C:\\t\\\uD55C.exe", .pathFails = true, .name = u"?.exe"},
        {.path = "C:\\t\\a.exe", .without932 = true, .name = u"a.exe"},
    };
    for (const Case& c : cases) {
        ScriptedPlatform platform;
        platform.moduleFileName = c.path, platform.heldModuleFileName = c.held;
        platform.without932 = c.without932;
        if (c.pathFails) platform.Fail("GetModuleFileNameW");
        RunLinkMaker(platform);
        // 【書式】 and the rest, byte by byte.
        EXPECT_EQ(platform.box,
                  u"\u0081y\u008F\u0091\u008E\u00AE\u0081z" + c.name + u" [src] [dst]");
    }
}

// A path of MAX_PATH units or more sends both paths to the wide calls as
// typed: Windows takes them there with \\?\, or without it once long paths
// are on, and refuses them otherwise. A path one unit shorter stays with the
// ANSI calls, which refuse a longer one, whatever its bytes (＼ is two in
// 932). A junction's directory at such a DST is made with \\?\ and refused
// without it, leaving nothing.
TEST(Dispatch, LongPaths) {
    const std::u16string verbatim = u"\\\\?\\C:\\" + std::u16string(252, u'＼'),  // 259 units
        plain = u"C:\\" + std::u16string(257, u'd'), longer = verbatim + u'd';    // 260
    struct Run {
        std::u16string src, dst;
        std::uint32_t attributes = 0x20;
        bool longPathsEnabled = false;
        bool made;
    };
    const Run runs[] = {
        {.src = verbatim, .dst = u"L", .made = true},
        {.src = u"F", .dst = longer, .made = true},
        {.src = plain, .dst = u"L", .made = false},
        {.src = plain, .dst = u"L", .longPathsEnabled = true, .made = true},
        {.src = u"D", .dst = longer, .attributes = kFileAttributeDirectory, .made = true},
        {.src = u"D", .dst = plain, .attributes = kFileAttributeDirectory, .made = false},
    };
    for (const Run& run : runs) {
        ScriptedPlatform platform;
        platform.acp = 932, platform.attributes = run.attributes;
        platform.longPathsEnabled = run.longPathsEnabled;
        platform.typedLine = u"t " + run.src + u" " + run.dst;
        RunLinkMaker(platform);
        const std::u16string made = run.attributes == kFileAttributeDirectory
                                        ? u": junction to \\??\\C:\\data"
                                        : u": hard link to " + run.src;
        const std::u16string expected = run.made ? run.dst + made : u"";
        EXPECT_EQ(platform.Volume(), std::string(expected.begin(), expected.end()));
        EXPECT_EQ(platform.box.empty(), run.made);
    }
}

// The order Windows needs: the directory made, opened as a reparse point
// for writing, the record set, the handle closed, and only then, for a
// refused record, the directory removed.
TEST(Junction, CallsInWindowsOrder) {
    using P = ScriptedPlatform;
    const Log made = {P::Entry("CreateDirectoryW", u"D:\\link", nullptr),
                      P::Entry("CreateFileW", u"D:\\link", kGenericWrite,
                               kFileShareRead | kFileShareWrite, nullptr, kOpenExisting,
                               kFileFlagOpenReparsePoint | kFileFlagBackupSemantics, nullptr),
                      // The bytes returned are asked for, as a call that is not overlapped must.
                      P::Entry("DeviceIoControl", P::kOpened, kFsctlSetReparsePoint,
                               Request(u"\\??\\C:\\data").size(), nullptr, 0, true, nullptr),
                      P::Entry("CloseHandle", P::kOpened)};
    for (const bool refused : {false, true}) {
        ScriptedPlatform platform;
        if (refused) platform.Fail("DeviceIoControl");
        EXPECT_EQ(MakeJunction(platform, "C:\\data", "D:\\link"), !refused);
        Log expected = made;
        if (refused) expected.push_back(P::Entry("RemoveDirectoryW", u"D:\\link"));
        EXPECT_EQ(Calls(platform.log, kJunctionCalls), expected);
    }
}

// Each call of a junction that is made, failed in turn: no junction, nothing
// left on the volume, nothing created in the name of a path that was not
// converted, and the handle closed exactly when it was opened, before the
// directory is removed. A handle that does not close, once the record is in,
// changes nothing.
TEST(Junction, EachFailingCallTakesBackWhatWasMade) {
    ScriptedPlatform good;
    ASSERT_TRUE(MakeJunction(good, "C:\\data", "D:\\link"));
    std::map<std::string, int> seen;
    for (const auto& call : good.log) {
        const std::string name = call.substr(0, call.find(' '));
        const int occurrence = ++seen[name];
        SCOPED_TRACE(name + " " + std::to_string(occurrence));
        ScriptedPlatform platform;
        platform.Fail(name, occurrence);
        const bool made = MakeJunction(platform, "C:\\data", "D:\\link");
        EXPECT_EQ(made, name == "CloseHandle");
        EXPECT_EQ(platform.Volume(), made ? good.Volume() : "");
        const auto at = [&](const char* prefix) {
            return std::find_if(platform.log.begin(), platform.log.end(),
                                [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        };
        const bool converted = seen.count("CreateDirectoryW") != 0;
        EXPECT_EQ(at("Create") != platform.log.end(), converted);
        const bool opened = seen.count("DeviceIoControl") != 0;
        EXPECT_EQ(at("CloseHandle") != platform.log.end(), opened);
        if (opened && !made) {
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
        std::u16string target{};  // empty: no junction
    };
    const std::u16string n260(260, u'n');
    const Case cases[] = {
        {.fullPath = u"\\\\?\\C:\\data", .target = u"\\??\\C:\\data"},
        {.fullPath = u"\\\\.\\C:\\data", .target = u"\\??\\C:\\data"},
        {.fullPath = u"\\\\server\\share\\data", .target = u"\\??\\UNC\\server\\share\\data"},
        // Windows sizes .\data, ..\data and C:\x\..\data before shortening them.
        {.fullPath = u"C:\\data", .sizeSlack = 1, .target = u"\\??\\C:\\data"},
        // The current directory changes between the calls: asked again, four calls at most.
        {.fullPath = u"C:\\data", .growths = 2, .target = u"\\??\\C:\\dataxx"},
        {.fullPath = u"C:\\data", .growths = 3},
        {.fullPath = u"C:\\" + n260, .target = u"\\??\\C:\\" + n260},
        {.fullPath = u"C:\\" + n260 + u'n'},  // 268 units: refused
        // Taken as written, as Windows examines them: nothing trimmed, no drive.
        {.fullPath = u"\\\\?\\C:\\t\\data",
         .src = "\\\\?\\C:\\t\\data. ",
         .target = u"\\??\\C:\\t\\data. "},
        {.fullPath = u"C:\\??\\C:\\t", .src = "\\??\\C:\\t", .target = u"\\??\\C:\\t"},
    };
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

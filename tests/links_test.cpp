// The junction's record and calls, and the choice between the two kinds of
// link, against the scripted platform: what only a double can show.
#include <gtest/gtest.h>

#include "app/dispatch.h"
#include "app/messages.h"
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
    // Three splits; both paths read back as they were typed; the source examined.
    Log junction = {"GetCPInfo 0", "GetCPInfo 0", "GetCPInfo 0", kJunction[0],
                    kJunction[1],  kJunction[4],  kJunction[5],  "GetFileAttributesA C:\\data"};
    Log none = junction;
    none.push_back("MessageBoxA 0 10");
    junction.insert(junction.end(), kJunction.begin(), kJunction.end());
    const struct {
        std::uint32_t attributes;
        Log log;  // its last call fails
    } runs[] = {{0, {"GetCPInfo 0", "GetModuleFileNameA 105", "MessageBoxA 0 40"}},
                {kInvalidFileAttributes, none},
                {kFileAttributeDirectory, junction}};
    // The mount-point tag; ReparseDataLength 34; the substitute name at 0, 22
    // bytes long; the empty print name at 24; the name and both terminators.
    std::vector<unsigned char> request = {0x03, 0x00, 0x00, 0xA0, 0x22, 0x00, 0x00, 0x00,
                                          0x00, 0x00, 0x16, 0x00, 0x18, 0x00, 0x00, 0x00};
    for (char unit : std::string("\\??\\C:\\data\0", 13)) {
        request.insert(request.end(), {static_cast<unsigned char>(unit), 0});
    }
    for (const auto& run : runs) {
        ScriptedPlatform platform;
        if (run.attributes != 0) platform.commandLine += " C:\\data D:\\link";
        platform.attributes = run.attributes;
        platform.failingCall = run.log.size() - 1;
        RunLinkMaker(platform);
        EXPECT_EQ(platform.log, run.log);
        EXPECT_TRUE(platform.request.empty() || platform.request == request);
    }
}

// Started by a Unicode program, with a line the ANSI one is made from. A path
// Windows rewrote on the way is not used: nothing is touched, and the box
// names what was typed, each character the code page lacks as ?.
TEST(Dispatch, PathsOnlyAsTyped) {
    const struct {
        std::uint32_t codePage;
        std::u16string line;
        const char *src, *dst;  // in the error box; null: the hard link made from these
    } runs[] = {
        {932, u"t C:\\t\u00A5real.txt C:\\t\\out.txt", "C:\\t?real.txt", "C:\\t\\out.txt"},
        {932, u"t a.txt sub\u00A5..\u00A5..\u00A5evil.txt", "a.txt", "sub?..?..?evil.txt"},
        {932, u"t a\u00ADb.txt c.txt", "a?b.txt", "c.txt"},
        {1252, u"t a.txt x\uFF3C..\uFF3Cy", "a.txt", "x?..?y"},
        {1252, u"t \uFF02a.txt\uFF02 q.txt", "?a.txt?", "q.txt"},
        {1252, u"t \uFF02a b\uFF02", "?a", "b?"},  // one ANSI argument, yet two were typed
        {1252, u"t a.txt b\u3000c.txt", "a.txt", "b?c.txt"},
        // The program's own token and a third argument may hold what the code
        // page lacks; the fullwidth backslash is a character of 932.
        {932, u"\u0416 \u8868\\\u30BD.txt \uFF3C\u5B9A \u0416", nullptr,
         "\x81\x5F\x92\xE8 \x95\x5C\\\x83\x5C.txt"},
        {1252, u"\u0416 caf\u00E9 b \u0416", nullptr, "b caf\xE9"},
    };
    for (const auto& run : runs) {
        ScriptedPlatform platform;
        platform.acp = run.codePage;
        platform.typedLine = run.line;
        RunLinkMaker(platform);
        if (run.src == nullptr) {
            EXPECT_EQ(platform.log.back(), "CreateHardLinkA " + std::string(run.dst) + " 0");
            EXPECT_EQ(platform.box, "");
            continue;
        }
        EXPECT_EQ(platform.box, ErrorText(run.src, run.dst).view());
        for (const auto& call : platform.log) {
            EXPECT_TRUE(call.rfind("M", 0) == 0 ||
                        call.rfind("WideCharToMultiByte 0 400", 0) == 0 || call == "GetCPInfo 0")
                << call;
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
        const char* src = "data";
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

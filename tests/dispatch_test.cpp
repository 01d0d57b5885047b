#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_boxes.h"
#include "fake_platform.h"
#include "support/text.h"

namespace tolvik {
namespace {

using testing::ErrorBox;
using testing::FakePlatform;
using testing::kErrorCaption;
using testing::kUsageCaption;
using Calls = std::vector<std::string>;

void ExpectOneBox(const FakePlatform& platform, const std::string& text, const std::string& caption,
                  std::uint32_t type) {
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].owner, nullptr);
    EXPECT_EQ(platform.boxes[0].text, text);
    EXPECT_EQ(platform.boxes[0].caption, caption);
    EXPECT_EQ(platform.boxes[0].type, type);
}

TEST(Dispatch, UsageNoteWhenAnArgumentIsMissing) {
    struct Case {
        const char* name;
        std::string commandLine;
        std::string moduleFileName;
        std::uint32_t threadLocale, codePage;
        std::string shownName;
    };
    const std::string yotei = "\x97\x5C\x92\xE8\x95\x5C.exe";  // 予定表.exe
    const Case cases[] = {
        {"no argument", "tolvik.exe", "C:\\tools\\tolvik.exe", 0x409, 1252, "tolvik.exe"},
        {"one argument", "tolvik.exe C:\\data", "C:\\tools\\tolvik.exe", 0x409, 1252, "tolvik.exe"},
        {"only a quote pair", "tolvik.exe \"\" \"\"", "C:\\tools\\tolvik.exe", 0x409, 1252,
         "tolvik.exe"},
        {"renamed, started by a bare name", "x", "C:\\bin\\mklink2.exe", 0x409, 1252,
         "mklink2.exe"},
        {"module name unknown", "tolvik.exe", "", 0x409, 1252, ""},
        {"Japanese name, Japanese locale", "t", "C:\\tools\\" + yotei, 0x411, 932, yotei},
        {"Japanese name, English locale", "t", "C:\\tools\\" + yotei, 0x409, 932, ".exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.commandLine = c.commandLine;
        platform.moduleFileName = c.moduleFileName;
        platform.threadLocale = c.threadLocale;
        platform.systemCodePage = c.codePage;
        RunLinkMaker(platform);
        ExpectOneBox(platform, testing::UsageNote(c.shownName), kUsageCaption, 0x40);
        EXPECT_TRUE(platform.FileSystemCalls().empty());
    }
}

TEST(Dispatch, LinksAndErrorBoxes) {
    struct Case {
        const char* name;
        std::string commandLine;
        Calls calls;
        std::string errorText;  // empty: no box
        std::uint32_t codePage = 1252;
    };
    const Calls hardLink = {"GetFileAttributesA", "CreateHardLinkA"};
    const Calls junction = {"GetFileAttributesA", "CreateDirectoryW", "CreateFileW",
                            "DeviceIoControl", "CloseHandle"};
    const Case cases[] = {
        {"hard link", "tolvik.exe C:\\work\\a.txt C:\\work\\b.txt", hardLink, ""},
        {"hard link, relative names", "tolvik.exe a.txt b.txt", hardLink, ""},
        {"third argument ignored", "tolvik.exe a.txt b.txt c.txt", hardLink, ""},
        {"junction", "tolvik.exe C:\\data \"D:\\my link\"", junction, ""},
        {"missing source",
         "tolvik.exe C:\\none D:\\link",
         {"GetFileAttributesA"},
         ErrorBox("C:\\none", "D:\\link")},
        {"destination exists", "tolvik.exe a.txt C:\\work\\old.txt", hardLink,
         ErrorBox("a.txt", "C:\\work\\old.txt")},
        {"another volume", "tolvik.exe a.txt D:\\b.txt", hardLink, ErrorBox("a.txt", "D:\\b.txt")},
        {"junction onto an existing directory",
         "tolvik.exe C:\\data C:\\work",
         {"GetFileAttributesA", "CreateDirectoryW"},
         ErrorBox("C:\\data", "C:\\work")},
        {"paths shown as typed",
         "tolvik.exe \"C:\\no ne\\\" \"x\"\"y\"",
         {"GetFileAttributesA"},
         ErrorBox("C:\\no ne\\", "xy")},
        {"double-byte paths",
         "tolvik.exe \x97\x5C\x92\xE8 \x95\x5C",
         {"GetFileAttributesA"},
         ErrorBox("\x97\x5C\x92\xE8", "\x95\x5C"),
         932},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.systemCodePage = c.codePage;
        platform.commandLine = c.commandLine;
        platform.AddDirectory(u"C:\\data");
        platform.AddFile(u"C:\\work\\a.txt", "new");
        platform.AddFile(u"C:\\work\\old.txt", "old");
        RunLinkMaker(platform);
        EXPECT_EQ(platform.FileSystemCalls(), c.calls);
        if (c.errorText.empty()) {
            EXPECT_TRUE(platform.boxes.empty());
        } else {
            ExpectOneBox(platform, c.errorText, kErrorCaption, 0x10);
        }
        // Nothing that was there is changed; only the one link is added.
        EXPECT_EQ(platform.nodes.at(u"C:\\work\\old.txt").content, "old");
        EXPECT_EQ(platform.LinkCount(u"C:\\work\\old.txt"), 1);
        EXPECT_EQ(platform.nodes.size(), 6u + (c.errorText.empty() ? 1 : 0));
        EXPECT_FALSE(platform.Exists(u"C:\\work\\c.txt"));
    }
}

TEST(Dispatch, HardLinkNamesTheNewLinkFirst) {
    FakePlatform platform;
    platform.commandLine = "tolvik.exe a.txt b.txt";
    platform.AddFile(u"C:\\work\\a.txt");
    RunLinkMaker(platform);
    EXPECT_EQ(platform.LinkCount(u"C:\\work\\b.txt"), 2);
    EXPECT_EQ(platform.nodes.at(u"C:\\work\\a.txt").fileId,
              platform.nodes.at(u"C:\\work\\b.txt").fileId);
}

TEST(Dispatch, FailedJunctionLeavesNoDirectory) {
    FakePlatform platform;
    platform.commandLine = "tolvik.exe C:\\data D:\\link";
    platform.AddDirectory(u"C:\\data");
    platform.reparsePointsSupported = false;
    RunLinkMaker(platform);
    ExpectOneBox(platform, ErrorBox("C:\\data", "D:\\link"), kErrorCaption, 0x10);
    EXPECT_FALSE(platform.Exists(u"D:\\link"));
}

TEST(Text, RunningOutOfMemoryEndsTheProcess) {
    EXPECT_EXIT(AnsiText::OfLength(static_cast<std::size_t>(-1) / 4), ::testing::ExitedWithCode(3),
                "");
}

}  // namespace
}  // namespace tolvik

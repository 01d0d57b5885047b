// Whole runs in which one platform call fails: each call that can fail, in
// turn, for each kind of run. Whatever fails, the run shows the error box
// once with both paths, leaves the volume as it found it and closes every
// handle it opened exactly once; a call the run can do without (the locale's
// code page and lead bytes) changes nothing at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "expected_boxes.h"
#include "fake_platform.h"

namespace tolvik {
namespace {

using testing::ErrorBox;
using testing::FakePlatform;
using testing::kErrorCaption;
using testing::Node;
using Calls = std::vector<std::string>;
using Volume = std::map<std::u16string, Node>;

// Calls whose failure the run survives: a default takes their place.
const std::set<std::string> kCallsWithADefault = {"GetLocaleInfoA", "GetCPInfo"};
// What a run may still do once a call has failed: take back what it made.
const std::set<std::string> kCleanupCalls = {"CloseHandle", "RemoveDirectoryW"};

struct Scenario {
    const char* name;
    std::string commandLine;
    std::uint32_t codePage, threadLocale;
    std::string src, dst;  // as the error box shows them
    bool made;             // whether the run makes its link when nothing fails
    Calls failable;        // the calls it makes that can fail, in order
};

const std::string kYotei = "\x97\x5C\x92\xE8";  // 予定, both second bytes 0x5C

const Calls kJunctionCalls = {"GetFileAttributesA",  "MultiByteToWideChar", "MultiByteToWideChar",
                              "GetFullPathNameW",    "GetFullPathNameW",    "MultiByteToWideChar",
                              "MultiByteToWideChar", "CreateDirectoryW",    "CreateFileW",
                              "DeviceIoControl"};

Calls WithLocale(const Calls& calls) {
    Calls withLocale = {"GetLocaleInfoA", "GetCPInfo"};
    withLocale.insert(withLocale.end(), calls.begin(), calls.end());
    return withLocale;
}

const Scenario kRuns[] = {
    {"junction", "tolvik.exe C:\\data D:\\link", 1252, 0x409, "C:\\data", "D:\\link", true,
     kJunctionCalls},
    {"junction, relative double-byte source, Japanese locale",
     "tolvik.exe " + kYotei + " \"D:\\my link\"", 932, 0x411, kYotei, "D:\\my link", true,
     WithLocale(kJunctionCalls)},
    {"junction through a relative destination", "tolvik.exe C:\\data new", 1252, 0x409, "C:\\data",
     "new", true, kJunctionCalls},
    {"junction onto an existing directory", "tolvik.exe C:\\data C:\\work\\old", 1252, 0x409,
     "C:\\data", "C:\\work\\old", false, Calls(kJunctionCalls.begin(), kJunctionCalls.end() - 2)},
    {"hard link",
     "tolvik.exe a.txt C:\\work\\b.txt",
     1252,
     0x409,
     "a.txt",
     "C:\\work\\b.txt",
     true,
     {"GetFileAttributesA", "CreateHardLinkA"}},
    {"hard link, Japanese locale", "tolvik.exe a.txt " + kYotei + ".txt", 932, 0x411, "a.txt",
     kYotei + ".txt", true, WithLocale({"GetFileAttributesA", "CreateHardLinkA"})},
    {"hard link onto an existing file",
     "tolvik.exe a.txt old.txt",
     1252,
     0x409,
     "a.txt",
     "old.txt",
     false,
     {"GetFileAttributesA", "CreateHardLinkA"}},
    {"missing source",
     "tolvik.exe C:\\none D:\\link",
     1252,
     0x409,
     "C:\\none",
     "D:\\link",
     false,
     {"GetFileAttributesA"}},
};

void Prepare(FakePlatform& platform, const Scenario& run) {
    platform.commandLine = run.commandLine;
    platform.systemCodePage = run.codePage;
    platform.threadLocale = run.threadLocale;
    platform.AddDirectory(u"C:\\data");
    platform.AddDirectory(u"C:\\work\\\u4E88\u5B9A");  // 予定
    platform.AddDirectory(u"C:\\work\\old");
    platform.AddFile(u"C:\\work\\a.txt", "new");
    platform.AddFile(u"C:\\work\\old.txt", "old");
}

Calls FileSystemCallsAfter(const FakePlatform& platform, std::size_t index) {
    const std::set<std::string> fileSystem = {
        "GetFileAttributesA", "CreateHardLinkA", "CreateDirectoryW", "CreateFileW",
        "DeviceIoControl",    "CloseHandle",     "RemoveDirectoryW"};
    Calls after;
    for (std::size_t i = index + 1; i < platform.calls.size(); ++i) {
        if (fileSystem.count(platform.calls[i]) != 0) after.push_back(platform.calls[i]);
    }
    return after;
}

TEST(FaultInjection, EveryCallOfARunFailsInTurn) {
    std::size_t faults = 0;
    for (const Scenario& run : kRuns) {
        SCOPED_TRACE(run.name);
        // Without a fault: the calls the table names, and the run's outcome.
        FakePlatform clean;
        Prepare(clean, run);
        const Volume before = clean.nodes;
        RunLinkMaker(clean);
        ASSERT_EQ(clean.failableCalls, run.failable);
        ASSERT_EQ(clean.boxes.empty(), run.made);
        const Volume madeVolume = clean.nodes;
        EXPECT_EQ(madeVolume.size(), before.size() + (run.made ? 1 : 0));

        for (std::size_t k = 0; k < run.failable.size(); ++k) {
            const std::string& failed = run.failable[k];
            SCOPED_TRACE("call " + std::to_string(k) + " fails: " + failed);
            ++faults;
            FakePlatform platform;
            Prepare(platform, run);
            platform.failCallNumber = static_cast<int>(k);
            RunLinkMaker(platform);

            EXPECT_EQ(platform.openHandles(), 0);
            EXPECT_EQ(platform.doubleCloses, 0);
            if (run.made && kCallsWithADefault.count(failed) != 0) {
                EXPECT_TRUE(platform.boxes.empty());
                EXPECT_EQ(platform.nodes, madeVolume);
                continue;
            }
            ASSERT_EQ(platform.boxes.size(), 1u);
            EXPECT_EQ(platform.boxes[0].owner, nullptr);
            EXPECT_EQ(platform.boxes[0].text, ErrorBox(run.src, run.dst));
            EXPECT_EQ(platform.boxes[0].caption, kErrorCaption);
            EXPECT_EQ(platform.boxes[0].type, 0x10u);  // MB_ICONERROR
            EXPECT_EQ(platform.calls.back(), "MessageBoxA");
            EXPECT_EQ(platform.nodes, before);
            // Once a call has failed, nothing more is attempted: the run only
            // takes back what it made.
            for (const std::string& call : FileSystemCallsAfter(platform, platform.injectedAt)) {
                EXPECT_EQ(kCleanupCalls.count(call), 1u) << call;
            }
        }
    }
    // 10 + 12 + 10 + 8 + 2 + 4 + 2 + 1 faults.
    EXPECT_EQ(faults, 49u);
}

// When taking back the directory fails too, the run does not try again: one
// removal, the box, every handle closed once, and the directory stays.
TEST(FaultInjection, AFailedRemovalIsNotRetried) {
    for (const char* failing : {"CreateFileW", "DeviceIoControl"}) {
        SCOPED_TRACE(failing);
        FakePlatform platform;
        Prepare(platform, kRuns[0]);
        platform.failing = {failing, "RemoveDirectoryW"};
        RunLinkMaker(platform);
        EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "RemoveDirectoryW"), 1);
        EXPECT_EQ(platform.boxes.size(), 1u);
        EXPECT_TRUE(platform.Exists(u"D:\\link"));
        EXPECT_EQ(platform.openHandles(), 0);
        EXPECT_EQ(platform.doubleCloses, 0);
    }
}

}  // namespace
}  // namespace tolvik

// A copy onto a file in use, through the version rule and the wrapper that
// leaves it for the restart: when it waits, where the file beside it goes,
// what the system is asked, and what is left when a step is refused.
#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"
#include "install/replace_at_restart.h"
#include "install/version_rule.h"
#include "platform/error.h"

namespace trevanil {
namespace {

using fake::FakePlatform;
using List = std::vector<std::string>;

const std::string kSource = "C:\\app\\x.ocx", kDestination = "C:\\WINDOWS\\System32\\x.ocx";
const std::string kStaged = "C:\\WINDOWS\\System32\\~trevanil-x.ocx.new";
const List kScheduled{"\\??\\" + kStaged, "!\\??\\" + kDestination};

struct Row {
    const char* name;
    std::function<void(FakePlatform&)> prepare;
    std::uint32_t raised;  // the system error the copy raises; 0: none
    std::string waits;     // the file left for the restart; empty: none
    List pending;          // the system's list afterwards
    List staged;           // the files beside it afterwards
};

void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class InUseRow : public ::testing::TestWithParam<Row> {};

TEST_P(InUseRow, WaitsForTheRestartOnlyWhereTheFileIsInUse) {
    const Row& row = GetParam();
    FakePlatform p;
    p.files = {{kSource, "<nuevo>"}, {kDestination, "<en uso>"}};
    p.versions = {{kSource, fileVersion(0x20000, 0)}, {kDestination, fileVersion(0x10000, 0)}};
    row.prepare(p);
    ReplaceAtRestartRuntime atRestart(p, p);
    KeepNewerRuntime keepingNewer(atRestart, p);
    std::uint32_t raised = 0;
    std::string waits;
    try {
        waits = keepingNewer.createObject(kFileSystemObjectClass)->copyFile(kSource, kDestination).atRestart;
    } catch (const PlatformError& e) {
        raised = e.systemCode();
    }
    EXPECT_EQ(raised, row.raised);
    EXPECT_EQ(waits, row.waits);
    EXPECT_EQ(atRestart.waiting(), row.waits.empty() ? List{} : List{row.waits});
    EXPECT_EQ(p.pendingList, row.pending);
    List staged;
    for (const auto& [path, bytes] : p.files) {
        if (path.find("~trevanil-") == std::string::npos) continue;
        staged.push_back(path);
        EXPECT_EQ(bytes, "<nuevo>");
    }
    EXPECT_EQ(staged, row.staged);
    EXPECT_EQ(p.files[kDestination], "<en uso>");  // the file in use is never written
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InUseRow,
    ::testing::Values(
        Row{"SharingViolation", [](FakePlatform& p) { p.refused[kDestination] = 32; }, 0, kDestination, kScheduled,
            {kStaged}},
        Row{"MappedByAnotherProgram", [](FakePlatform& p) { p.refused[kDestination] = 1224; }, 0, kDestination,
            kScheduled, {kStaged}},
        Row{"AccessDeniedOnALoadedImage", [](FakePlatform& p) { p.refused[kDestination] = 5, p.held = {kDestination}; },
            0, kDestination, kScheduled, {kStaged}},
        Row{"AccessDeniedOnAReadOnlyFile", [](FakePlatform& p) { p.refused[kDestination] = 5; }, 5, "", {}, {}},
        Row{"AnyOtherRefusal", [](FakePlatform& p) { p.refused[kDestination] = 112; }, 112, "", {}, {}},
        // The version rule first: a newer file in use is kept, nothing waits.
        Row{"NewerInUse",
            [](FakePlatform& p) { p.refused[kDestination] = 32, p.versions[kDestination] = fileVersion(0x30000, 0); },
            0, "", {}, {}},
        // A second run before the restart: the same file beside it, no second rename.
        Row{"AlreadyWaiting",
            [](FakePlatform& p) {
                p.refused[kDestination] = 32;
                p.pendingList = {"\\??\\c:\\windows\\system32\\~TREVANIL-X.OCX.NEW", "!\\??\\C:\\Windows\\System32\\X.ocx"};
            },
            0, kDestination, {"\\??\\c:\\windows\\system32\\~TREVANIL-X.OCX.NEW", "!\\??\\C:\\Windows\\System32\\X.ocx"},
            {kStaged}},
        // Another file's rename, or one onto this file from elsewhere, is no reason to skip it.
        Row{"OtherRenamesWaiting",
            [](FakePlatform& p) {
                p.refused[kDestination] = 32, p.pendingList = {"\\??\\C:\\a.new", "!\\??\\" + kDestination,
                                                               "\\??\\" + kStaged, ""};
            },
            0, kDestination, {"\\??\\C:\\a.new", "!\\??\\" + kDestination, "\\??\\" + kStaged, "", kScheduled[0],
                              kScheduled[1]},
            {kStaged}},
        Row{"SchedulingRefused", [](FakePlatform& p) { p.refused[kDestination] = 32, p.fail("schedule", 1, 70, ""); },
            32, "", {}, {}},
        Row{"StagingRefused", [](FakePlatform& p) { p.refused[kDestination] = 32, p.fail("copyFile", 2, 61, ""); },
            32, "", {}, {}},
        // Named as the system reads them at boot: a 32-bit program on 64-bit Windows.
        Row{"OnWow64",
            [](FakePlatform& p) { p.refused[kDestination] = 32, p.wow64 = true; }, 0,
            "C:\\WINDOWS\\SysWOW64\\x.ocx",
            {"\\??\\C:\\WINDOWS\\SysWOW64\\~trevanil-x.ocx.new", "!\\??\\C:\\WINDOWS\\SysWOW64\\x.ocx"},
            {"C:\\WINDOWS\\SysWOW64\\~trevanil-x.ocx.new"}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

// A copy onto a file in use, through the version rule and the wrapper that
// leaves it for the restart: when it waits, and what it leaves behind.
#include <gtest/gtest.h>

#include <functional>

#include "fake_platform.h"
#include "install/replace_at_restart.h"
#include "install/version_rule.h"
#include "platform/error.h"

namespace trevanil {
namespace {

using List = std::vector<std::string>;

const std::string kSource = "C:\\app\\x.ocx", kFile = "C:\\WINDOWS\\System32\\x.ocx";
const std::string kStaged = "C:\\WINDOWS\\System32\\~trevanil-x.ocx.new";
const List kRename{"\\??\\" + kStaged, "!\\??\\" + kFile};

struct Row {
    const char* name;
    std::function<void(fake::FakePlatform&)> prepare;  // the copy onto the file raises 32 unless changed
    std::string waits;                                 // the file left for the restart; empty: the copy raised
    List pending;                                      // the system's list afterwards
    std::string staged = kStaged;                      // the file beside it afterwards; empty: none
};

class InUseRow : public ::testing::TestWithParam<Row> {};

TEST_P(InUseRow, WaitsForTheRestartOnlyWhereTheFileIsInUse) {
    fake::FakePlatform p;
    p.files = {{kSource, "<nuevo>"}, {kFile, "<en uso>"}};
    p.versions = {{kSource, fileVersion(0x20000, 0)}, {kFile, fileVersion(0x10000, 0)}};
    p.refused[kFile] = 32;
    GetParam().prepare(p);
    ReplaceAtRestartRuntime atRestart(p, p);
    KeepNewerRuntime keepingNewer(atRestart, p);
    std::string waits;
    try {
        waits = keepingNewer.createObject(kFileSystemObjectClass)->copyFile(kSource, kFile).atRestart;
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.systemCode(), p.refused[kFile]);  // the refusal as it came
    }
    EXPECT_EQ(waits, GetParam().waits);
    EXPECT_EQ(atRestart.waiting(), waits.empty() ? List{} : List{waits});
    EXPECT_EQ(p.pendingList, GetParam().pending);
    List beside;
    for (const auto& file : p.files) {
        if (file.first.find("~trevanil-") != std::string::npos) beside.push_back(file.first + " " + file.second);
    }
    EXPECT_EQ(beside, GetParam().staged.empty() ? List{} : List{GetParam().staged + " <nuevo>"});
    EXPECT_EQ(p.files[kFile], "<en uso>");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InUseRow,
    ::testing::Values(
        Row{"SharingViolation", [](auto&) {}, kFile, kRename},
        Row{"AccessDeniedOnALoadedImage", [](auto& p) { p.refused[kFile] = 5, p.held = {kFile}; }, kFile, kRename},
        Row{"AccessDeniedOnAReadOnlyFile", [](auto& p) { p.refused[kFile] = 5; }, "", {}, ""},
        Row{"NewerInUseIsKept", [](auto& p) { p.versions[kFile] = fileVersion(0x30000, 0); }, "", {}, ""},
        // A second run before the restart: no second rename.
        Row{"AlreadyWaiting",
            [](auto& p) { p.pendingList = {"\\??\\c:\\windows\\SYSTEM32\\~trevanil-X.OCX.new", kRename[1]}; },
            kFile, {"\\??\\c:\\windows\\SYSTEM32\\~trevanil-X.OCX.new", kRename[1]}},
        // Another file's rename onto it, or the deletion of the one beside it, is not its rename.
        Row{"OtherRenamesWaiting", [](auto& p) { p.pendingList = {"\\??\\C:\\a", kRename[1], kRename[0], ""}; },
            kFile, {"\\??\\C:\\a", kRename[1], kRename[0], "", kRename[0], kRename[1]}},
        Row{"SchedulingRefused", [](auto& p) { p.fail("schedule", 1, 70, ""); }, "", {}, ""},
        // Named as the system reads them at boot: a 32-bit program on 64-bit Windows.
        Row{"OnWow64", [](auto& p) { p.wow64 = true; }, "C:\\WINDOWS\\SysWOW64\\x.ocx",
            {"\\??\\C:\\WINDOWS\\SysWOW64\\~trevanil-x.ocx.new", "!\\??\\C:\\WINDOWS\\SysWOW64\\x.ocx"},
            "C:\\WINDOWS\\SysWOW64\\~trevanil-x.ocx.new"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil

// The file the registration loads: the one in System, unless System32 holds
// a higher version of it (the copy's rule) that this run did not write.
#include "install/registered_file.h"
#include "install/version_rule.h"

#include <gtest/gtest.h>

#include "detail/log_texts.h"
#include "fake_platform.h"
#include "platform/resume_next.h"
#include "install/install_pass.h"

namespace trevanil {
namespace {

TEST(RegisteredFile, OnlyAHigherVersionInSystem32MovesTheLoadThere) {
    const std::string inSystem = "C:\\WINDOWS\\System\\a.ocx", inSystem32 = "C:\\WINDOWS\\System32\\a.ocx";
    const std::optional<FileVersion> none, v9 = fileVersion(0x10000, 9), v10 = fileVersion(0x10000, 10),
                                     v11 = fileVersion(0x10000, 11);
    const struct {
        std::optional<FileVersion> system, system32;
        std::string loaded;
        std::int32_t status = 0;  // of the file loaded; only a registration made is heard
        std::optional<FileVersion> offered = {};  // the program folder's, copied this run; none: no copy
        std::int32_t copyError = 0;  // the copy fails
    } rows[] = {
        {v9, v10, inSystem32}, {v10, v9, inSystem}, {v10, v10, inSystem},
        {none, v10, inSystem},  // no version, or no file: no fallback
        {v9, none, inSystem},  {v9, v10, inSystem32, 1},
        // A newer file System32 held and the copy kept is still the one; one
        // the copy wrote (planted in the program folder), or may have written
        // before it failed, never is.
        {v9, v10, inSystem32, 0, v9},  {v9, v10, inSystem, 0, v11},
        {v9, none, inSystem, 0, v10},  {v9, v10, inSystem, 0, v11, 70},
    };
    for (const auto& r : rows) {
        fake::FakePlatform p;
        if (r.system) p.versions[inSystem] = *r.system;
        if (r.system32) p.versions[inSystem32] = *r.system32;
        CopyRecord copies;
        if (r.offered) {
            p.files["C:\\app\\a.ocx"] = "<a.ocx>";
            p.versions["C:\\app\\a.ocx"] = *r.offered;
            if (r.copyError) p.fail("copyFile", 1, r.copyError, "Permiso denegado");
            KeepNewerRuntime keepingNewer(p, p);
            RecordingRuntime recording(keepingNewer, copies);
            resumeNext([&] { recording.createObject(kFileSystemObjectClass)->copyFile("C:\\app\\a.ocx", inSystem32); });
        }
        p.files.erase("C:\\app\\a.ocx");  // the pass's own copy: nothing to copy, nothing written
        std::vector<std::string> heard;
        const RegisteredFile file(p, copies, [&](const Cause& c) { heard.push_back(logtext::detailLine(c)); });
        p.modules[r.loaded] = {{"DllRegisterServer", r.status}};
        p.list1.items = {"a.ocx"};
        InstallPass(p, p, p, WindowsFolders("C:\\WINDOWS"), file).instalar();
        const std::string line = r.status == 0 ? " Se registro exitosamente \r\n" : " Error; registrando \r\n";
        EXPECT_EQ(p.files[p.logPath()], "a.ocx" + line) << r.loaded;
        EXPECT_EQ(p.only("load"), std::vector<std::string>{"load " + r.loaded});
        const bool copied = r.offered && r.loaded == inSystem;  // System32's is the higher in every such row
        const std::string newer = versionText(p.versions[inSystem32]);
        const std::string said = copied ? "*** a.ocx: se registr\xC3\xB3 la copia de System, 1.0.0.9, m\xC3\xA1s antigua que la "
                                          "copiada en System32, " + newer
                                        : "*** a.ocx: se registr\xC3\xB3 " + r.loaded + ": la copia de System, 1.0.0.9, es "
                                          "m\xC3\xA1s antigua que la instalada, " + newer;
        const bool made = (r.loaded != inSystem || copied) && r.status == 0;
        EXPECT_EQ(heard, made ? std::vector<std::string>{said} : std::vector<std::string>{}) << r.loaded;
    }
}

}  // namespace
}  // namespace trevanil

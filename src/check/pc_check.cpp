#include "check/pc_check.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <utility>

#include "detail/diagnosis.h"
#include "detail/log_texts.h"
#include "platform/pe_image.h"
#include "install/broken_off.h"
#include "platform/resume_next.h"

namespace trevanil {

namespace {

// The type library's version as the registry's key writes it ("1.0").
std::string libraryVersion(const TypeLibrary& library) {
    char text[24];
    std::snprintf(text, sizeof text, "%x.%x", library.major, library.minor);
    return text;
}

// The first thing wrong with the file the registry names for a class:
// nothing named, a file that is not there, a file older than System32's,
// a DLL it imports that is nowhere. `dllsChecked`: files whose DLLs were
// already looked for (several classes may name one file).
std::optional<Cause> classCause(const Probe& files, const CheckProbe& pc, const std::string& name,
                                const DeclaredClass& declared, std::optional<FileVersion> system32Version,
                                std::set<std::string>& dllsChecked) {
    const std::optional<std::string> server = pc.inprocServer(declared.clsid);
    if (!server) return Cause{name, causes::ClassNotRegistered{declared.name, declared.clsid}};
    if (!files.fileExists(*server)) return Cause{name, causes::ClassFileMissing{declared.name, declared.clsid, *server}};
    const std::optional<FileVersion> version = pc.version(*server);
    if (version && system32Version && *version < *system32Version) {
        return Cause{name, causes::ClassFileOlder{declared.name, declared.clsid, *server, *version, *system32Version}};
    }
    if (!dllsChecked.insert(*server).second) return std::nullopt;
    const auto bytes = files.bytes(*server);
    if (!bytes) return std::nullopt;
    const pe::ReadResult read = pe::readImage(bytes->data(), bytes->size());
    if (!read.ok()) return std::nullopt;
    std::optional<Cause> missing = missingDll(files, *server, read.image);
    if (missing) missing->file = name;
    return missing;
}

}  // namespace

// The declarations are read from the file the pass would register, or from
// the System32 file where that one is missing.
ComponentCheck checkComponent(const Probe& files, const CheckProbe& pc, const std::string& windir,
                              const std::string& name) {
    ComponentCheck check{name, std::nullopt, {}};
    const std::string system32 = windir + "\\System32\\" + name;
    const std::string system = windir + "\\System\\" + name;
    const bool inSystem32 = files.fileExists(system32);
    if (inSystem32) {
        check.version = pc.version(system32);
    } else {
        check.causes.push_back(Cause{name, causes::NotThere{system32}});
    }
    const bool inSystem = files.fileExists(system);
    if (!inSystem && !inSystem32) return check;

    const std::optional<TypeLibrary> library = pc.typeLibrary(inSystem ? system : system32);
    const std::vector<DeclaredClass> classes = library ? library->classes : pc.classesServedBy({system, system32});
    if (!library && classes.empty()) {
        check.causes.push_back(Cause{name, causes::NoClass{}});
        return check;
    }
    std::set<std::string> dllsChecked;
    for (const DeclaredClass& declared : classes) {
        if (auto cause = classCause(files, pc, name, declared, check.version, dllsChecked)) {
            check.causes.push_back(*std::move(cause));
        }
    }
    if (library) {
        const std::optional<std::string> file = pc.typeLibraryFile(*library);
        if (!file) {
            check.causes.push_back(Cause{name, causes::TypeLibraryNotRegistered{library->libid, libraryVersion(*library)}});
        } else if (!files.fileExists(*file)) {
            check.causes.push_back(
                Cause{name, causes::TypeLibraryFileMissing{library->libid, libraryVersion(*library), *file}});
        }
    }
    return check;
}

std::vector<std::string> reportLines(const std::vector<ComponentCheck>& checks) {
    std::vector<std::string> lines;
    for (const ComponentCheck& check : checks) {
        if (!check.right()) {
            lines.push_back(check.name + logtext::kWrong);
        } else {
            lines.push_back(check.name + logtext::kRight + (check.version ? " " + versionText(*check.version) : ""));
        }
    }
    for (const ComponentCheck& check : checks) {
        for (const Cause& cause : check.causes) lines.push_back(logtext::detailLine(cause));
    }
    return lines;
}

CheckResult checkPc(Runtime& runtime, const std::vector<std::string>& names, const Probe& files,
                                const CheckProbe& pc) {
    std::unique_ptr<TextStream> log;
    CheckResult result = CheckResult::brokenOff;
    trapErrors([&] {
        std::vector<ComponentCheck> checks;
        const std::string windir = runtime.environment("WINDIR");
        for (const std::string& name : names) checks.push_back(checkComponent(files, pc, windir, name));

        log = runtime.createObject(kFileSystemObjectClass)->createTextFile(runtime.logPath());
        for (const std::string& line : reportLines(checks)) log->writeLine(line);
        log->close();
        runtime.shell("notepad " + runtime.logPath(), WindowStyle::normalFocus);
        const bool allRight = std::all_of(checks.begin(), checks.end(), [](const auto& c) { return c.right(); });
        result = allRight ? CheckResult::allRight : CheckResult::notAllRight;
    }, [&](const PlatformError& error) { reportBrokenOff(runtime, log.get(), error); });
    return result;
}

}  // namespace trevanil

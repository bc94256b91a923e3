#include "check/pc_check.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <utility>

#include "detail/diagnosis.h"
#include "detail/log_texts.h"
#include "install/broken_off.h"
#include "platform/path_kind.h"
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
// nothing named, a path that is not a file on a local disk (never read), a
// file that is not there, a file older than System32's, then what would
// keep it from loading, as the pass's diagnosis finds it. `dllsChecked`:
// files already read (several classes may name one file).
std::optional<Cause> classCause(const Probe& files, const CheckProbe& pc, const std::string& name,
                                const DeclaredClass& declared, std::optional<FileVersion> system32Version,
                                unsigned programBits, std::set<std::string>& dllsChecked) {
    const std::optional<std::string> server = pc.inprocServer(declared.clsid);
    if (!server) return Cause{name, causes::ClassNotRegistered{declared.name, declared.clsid}};
    if (const PathKind kind = pathKind(*server); kind != PathKind::local) {
        return Cause{name, causes::ClassPathRefused{declared.name, declared.clsid, *server, kind}};
    }
    const std::string reached = files.reachedPath(*server);
    if (!files.fileExists(*server)) return Cause{name, causes::ClassFileMissing{declared.name, declared.clsid, reached}};
    const std::optional<FileVersion> version = pc.version(*server);
    if (version && system32Version && *version < *system32Version) {
        return Cause{name, causes::ClassFileOlder{declared.name, declared.clsid, reached, *version, *system32Version}};
    }
    if (!dllsChecked.insert(*server).second) return std::nullopt;
    std::optional<Cause> cause = imageCause(files, *server, programBits);
    if (cause) cause->file = name;
    return cause;
}

// A file the check reads: only one on a local disk, never one that depends
// on the current folder.
bool localFileExists(const Probe& files, const std::string& path) {
    return pathKind(path) == PathKind::local && files.fileExists(path);
}

}  // namespace

// The declarations are read from the file the pass would register, or from
// the System32 file where that one is missing.
ComponentCheck checkComponent(const Probe& files, const CheckProbe& pc, const WindowsFolders& folders,
                              const std::string& name, unsigned programBits) {
    ComponentCheck check{name, std::nullopt, {}};
    const std::string system32 = folders.system32 + "\\" + name;
    const std::string system = folders.system + "\\" + name;
    const bool inSystem32 = localFileExists(files, system32);
    if (inSystem32) {
        check.version = pc.version(system32);
    } else {
        check.causes.push_back(Cause{name, causes::NotThere{files.reachedPath(system32)}});
    }
    const bool inSystem = localFileExists(files, system);
    if (!inSystem && !inSystem32) return check;

    const std::optional<TypeLibrary> library = pc.typeLibrary(inSystem ? system : system32);
    const std::vector<DeclaredClass> classes = library ? library->classes : pc.classesServedBy({system, system32});
    if (!library && classes.empty()) {
        check.causes.push_back(Cause{name, causes::NoClass{}});
        return check;
    }
    std::set<std::string> dllsChecked;
    for (const DeclaredClass& declared : classes) {
        if (auto cause = classCause(files, pc, name, declared, check.version, programBits, dllsChecked)) {
            check.causes.push_back(*std::move(cause));
        }
    }
    if (library) {
        const std::optional<std::string> file = pc.typeLibraryFile(*library);
        const std::string version = libraryVersion(*library);
        if (!file) {
            check.causes.push_back(Cause{name, causes::TypeLibraryNotRegistered{library->libid, version}});
        } else if (const PathKind kind = pathKind(*file); kind != PathKind::local) {
            check.causes.push_back(Cause{name, causes::TypeLibraryPathRefused{library->libid, version, *file, kind}});
        } else if (!files.fileExists(*file)) {
            check.causes.push_back(
                Cause{name, causes::TypeLibraryFileMissing{library->libid, version, files.reachedPath(*file)}});
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

CheckResult checkPc(Runtime& runtime, const WindowsFolders& folders, const std::vector<std::string>& names,
                    const Probe& files, const CheckProbe& pc) {
    std::unique_ptr<TextStream> log;
    CheckResult result = CheckResult::brokenOff;
    trapErrors([&] {
        std::vector<ComponentCheck> checks;
        for (const std::string& name : names) {
            checks.push_back(folders.none() ? ComponentCheck{name, std::nullopt, {}, false}
                                            : checkComponent(files, pc, folders, name));
        }

        log = runtime.createObject(kFileSystemObjectClass)->createTextFile(runtime.logPath());
        for (const std::string& line : reportLines(checks)) log->writeLine(line);
        log->close();
        runtime.openViewer(runtime.logPath());
        const bool allRight = std::all_of(checks.begin(), checks.end(), [](const auto& c) { return c.right(); });
        result = allRight ? CheckResult::allRight : CheckResult::notAllRight;
    }, [&](const PlatformError& error) { reportBrokenOff(runtime, log.get(), error); });
    return result;
}

}  // namespace trevanil

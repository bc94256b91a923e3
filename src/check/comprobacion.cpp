#include "check/comprobacion.h"

#include <cstdio>
#include <memory>
#include <new>
#include <set>
#include <utility>

#include "platform/diagnosis.h"
#include "platform/log_texts.h"
#include "platform/pe_image.h"
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
    if (!server) return Cause::classNotRegistered(name, declared.name, declared.clsid);
    if (!files.fileExists(*server)) return Cause::classFileMissing(name, declared.name, declared.clsid, *server);
    const std::optional<FileVersion> version = pc.version(*server);
    if (version && system32Version && *version < *system32Version) {
        return Cause::classFileOlder(name, declared.name, declared.clsid, *server, *version, *system32Version);
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
        check.causes.push_back(Cause::notThere(name, system32));
    }
    const bool inSystem = files.fileExists(system);
    if (!inSystem && !inSystem32) return check;

    const std::optional<TypeLibrary> library = pc.typeLibrary(inSystem ? system : system32);
    const std::vector<DeclaredClass> classes = library ? library->classes : pc.classesServedBy({system, system32});
    if (!library && classes.empty()) {
        check.causes.push_back(Cause::noClass(name));
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
            check.causes.push_back(Cause::typeLibraryNotRegistered(name, library->libid, libraryVersion(*library)));
        } else if (!files.fileExists(*file)) {
            check.causes.push_back(
                Cause::typeLibraryFileMissing(name, library->libid, libraryVersion(*library), *file));
        }
    }
    return check;
}

std::vector<std::string> reportLines(const std::vector<ComponentCheck>& checks) {
    std::vector<std::string> lines;
    for (const ComponentCheck& check : checks) {
        if (!check.correcto()) {
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

ResultadoComprobacion comprobar(Runtime& runtime, const std::vector<std::string>& names, const Probe& files,
                                const CheckProbe& pc) {
    std::unique_ptr<TextStream> log;
    PlatformError error(0, {});
    try {
        std::vector<ComponentCheck> checks;
        const std::string windir = runtime.environment("WINDIR");
        for (const std::string& name : names) {
            checks.push_back(windir.empty() ? ComponentCheck{name, std::nullopt, {}, false}
                                            : checkComponent(files, pc, windir, name));
        }

        log = runtime.createObject(kFileSystemObjectClass)->createTextFile(runtime.logPath());
        for (const std::string& line : reportLines(checks)) log->writeLine(line);
        log->close();
        runtime.shell("notepad " + runtime.logPath(), WindowStyle::normalFocus);
        for (const ComponentCheck& check : checks) {
            if (!check.correcto()) return ResultadoComprobacion::algunoIncorrecto;
        }
        return ResultadoComprobacion::todosCorrectos;
    } catch (const PlatformError& e) {
        error = e;
    } catch (const std::bad_alloc&) {
        error = PlatformError(errnum::memoriaInsuficiente);
    }
    if (log) resumeNext([&] { log->close(); });
    resumeNext([&] { runtime.msgBox(informe(error)); });
    return ResultadoComprobacion::interrumpida;
}

}  // namespace trevanil

// What the check of a PC asks the system besides the files themselves: the
// classes and the type library a component declares, and what the registry
// view this program registers into says of them. Read only: nothing is
// loaded as a program, nothing is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_version.h"

namespace trevanil {

// A class as a type library or the registry names it; the CLSID as the
// registry writes it ("{...}", upper case).
struct DeclaredClass {
    std::string name;
    std::string clsid;
    bool operator==(const DeclaredClass& other) const { return name == other.name && clsid == other.clsid; }
};

// A component's type library: its identity and the classes it declares
// creatable (a class that is not is never registered).
struct TypeLibrary {
    std::string libid;  // "{...}", upper case
    unsigned major = 0;
    unsigned minor = 0;
    std::uint32_t lcid = 0;
    std::vector<DeclaredClass> classes;
};

class CheckProbe {
public:
    virtual ~CheckProbe() = default;
    // The file's version; nothing when it has none or cannot be read.
    virtual std::optional<FileVersion> version(const std::string& path) const = 0;
    // The type library the file holds as its resource; nothing when none.
    virtual std::optional<TypeLibrary> typeLibrary(const std::string& path) const = 0;
    // The in-process server the registry names for the class; nothing when
    // the class or its server is not registered.
    virtual std::optional<std::string> inprocServer(const std::string& clsid) const = 0;
    // The file the registry names for the type library, for programs of
    // this one's bitness; nothing when it is not registered.
    virtual std::optional<std::string> typeLibraryFile(const TypeLibrary& library) const = 0;
    // The registered classes whose in-process server is one of these files.
    virtual std::vector<DeclaredClass> classesServedBy(const std::vector<std::string>& paths) const = 0;
    // The renames waiting for the restart, as RestartRenames::pending lists
    // them.
    virtual std::vector<std::string> pendingRenames() const = 0;
};

}  // namespace trevanil

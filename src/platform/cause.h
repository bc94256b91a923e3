// Why a copy did not happen or a component did not register, and the line
// the detailed log gives it: "*** <file>: <cause in Spanish>".
#pragma once

#include <cstdint>
#include <string>

namespace trevanil {

struct Cause {
    enum class Kind {
        copyFailed,         // value: the destination; code: system error
        keptNewer,          // value: the installed version; detail: the program's
        notThere,           // value: the full path looked for
        wrongBits,          // value: the image's bits; detail: the program's
        missingDll,         // value: the DLL as the import table writes it
        missingDllBelow,    // value: the DLL missing; detail: the dependency that imports it
        startupRefused,     // the loader's "initialization failed"
        noEntryPoint,       // value: the entry point's name
        entryFailed,        // value: the entry point's name; code: what it returned
        loadFailed,         // code: system error; detail: what is wrong in the file, if known
    };
    Kind kind = Kind::loadFailed;
    std::string file;  // the file name the line is about
    std::string value;
    std::string detail;
    std::uint32_t code = 0;
    std::string systemText;  // the system's own text for `code`; empty when it has none
};

std::string detailLine(const Cause& cause);

}  // namespace trevanil

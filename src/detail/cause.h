// What the detailed log says about one file: why a copy or a registration
// did not happen, or what was decided instead. One alternative per cause,
// each with its own named fields; the words of each line are chosen with the
// log's other texts (log_texts.h), never here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/file_version.h"
#include "platform/path_kind.h"
#include "platform/pe_image.h"

namespace trevanil {

namespace causes {
// The copy phase.
struct CopyFailed {  // the system refused the copy
    std::string destination;
    std::uint32_t code;      // the system's error number (or the runtime's, when it had none)
    std::string systemText;  // empty when the system has none
};
struct SourceMissing {  // the file to copy is not in the program's folder
    std::string source;
};
struct KeptNewer {  // the installed file has a higher version and stays
    FileVersion installed;
    FileVersion program;
};
struct ReplacedAtRestart {  // the installed file is in use: the program's takes its place at the restart
    std::string path;       // as the system reads it then
};

// The shared files' counts (SharedDLLs), after the copy.
struct CountNotANumber {  // neither a number nor a text of digits: left as it was
    std::string value;    // the value's name, the file's path as the program writes it
};
struct CountNotWritten {  // the count, or the program's record of it, could not be read or written
    std::uint32_t code;      // the system's error number (or the runtime's, when it had none)
    std::string systemText;  // empty: the system's text for the code is looked up where the line is made
};

// Taking the counts back (/U).
struct CountMissing {  // the program counted the file, and its count is gone: left as it was
    std::string value;
};
struct DeletedAtRestart {  // the file is in use: deleted at the next restart
    std::string path;      // as the system reads it then
};
struct NotDeleted {  // the system refused the file's deletion, or its deletion at the restart
    std::string path;
    std::uint32_t code;      // the system's error number (or the runtime's, when it had none)
    std::string systemText;  // empty: looked up where the line is made
};

// The registration.
struct NotThere {
    std::string path;  // the full path looked for
};
struct OtherBitness {
    unsigned imageBits;
    unsigned programBits;
};
struct MissingDll {  // imported by the component itself
    std::string dll;
};
struct MissingDllBelow {  // imported by one of the component's own DLLs
    std::string dependency;
    std::string dll;
};
struct StartupRefused {};  // DllMain answered FALSE
struct NoEntryPoint {
    std::string entry;
};
struct EntryFailed {  // an error status (its high bit set)
    std::string entry;
    std::uint32_t status;
    std::string systemText;  // the status's own text; empty when the system has none
};
struct EntryNotZero {  // a success status other than 0, S_FALSE among them
    std::string entry;
    std::uint32_t status;
};
struct LoadFailed {  // any other refusal of the loader, or an image it would refuse
    pe::Problem problem;                // what is wrong in the file; none when nothing was found
    std::optional<std::uint32_t> code;  // the loader's error; none where nothing was loaded (the check)
    std::string systemText;
};
struct RegisteredFromSystem32 {  // System held an older copy: the installed one was registered
    std::string path;
    FileVersion systemVersion;
    FileVersion system32Version;
};
struct RegisteredOlderThanCopy {  // System's copy registered: the newer one in System32 is this run's copy
    FileVersion systemVersion;
    FileVersion copiedVersion;
};
// The check of a PC (/C): what the registry says of the classes and the
// type library a component declares.
struct ClassNotRegistered {  // no in-process server named
    std::string className;
    std::string clsid;
};
struct ClassFileMissing {  // the file named is not there
    std::string className;
    std::string clsid;
    std::string path;
};
struct ClassFileOlder {  // the file named is older than System32's
    std::string className;
    std::string clsid;
    std::string path;
    FileVersion version;
    FileVersion system32Version;
};
struct ClassPathRefused {  // the path named is not a file on a local disk: never read
    std::string className;
    std::string clsid;
    std::string path;
    PathKind kind;
};
struct TypeLibraryNotRegistered {
    std::string libid;
    std::string version;  // as the registry's key writes it ("1.0")
};
struct TypeLibraryFileMissing {
    std::string libid;
    std::string version;
    std::string path;
};
struct TypeLibraryPathRefused {
    std::string libid;
    std::string version;
    std::string path;
    PathKind kind;
};
struct CountTaken {  // counted by this program, its count now missing or 0
    std::string value;
};
struct NoClass {};  // no type library, and no registered class names the file
struct Unknown {};  // finding the cause failed (no memory, a file that went away)
// The run: WINDIR unset, or not the system's own Windows folder, and so
// taken as unset.
struct WindirRefused {
    std::string windir;         // as the process received it; empty when unset
    std::string windowsFolder;  // the system's
};
}  // namespace causes

struct Cause {
    using Detail = std::variant<causes::CopyFailed, causes::SourceMissing, causes::KeptNewer,
                                causes::ReplacedAtRestart, causes::CountNotANumber, causes::CountNotWritten,
                                causes::CountMissing, causes::DeletedAtRestart, causes::NotDeleted,
                                causes::NotThere, causes::OtherBitness, causes::MissingDll, causes::MissingDllBelow,
                                causes::StartupRefused, causes::NoEntryPoint, causes::EntryFailed,
                                causes::EntryNotZero, causes::LoadFailed, causes::RegisteredFromSystem32,
                                causes::RegisteredOlderThanCopy,
                                causes::ClassNotRegistered, causes::ClassFileMissing, causes::ClassFileOlder,
                                causes::ClassPathRefused, causes::TypeLibraryNotRegistered,
                                causes::TypeLibraryFileMissing, causes::TypeLibraryPathRefused, causes::CountTaken,
                                causes::NoClass,
                                causes::Unknown, causes::WindirRefused>;

    std::string file;  // the component's file name, as the list names it
    Detail detail;

};

}  // namespace trevanil

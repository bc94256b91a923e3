// The questions the diagnosis asks the system, and nothing else: whether a
// file is there, its bytes as data, where the loader looks for a DLL, and
// the system's own texts. Which cause a failure has is decided by the logic
// (diagnosis.h) from these answers; nothing is loaded or run to give them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace trevanil {

// A file's bytes, held for as long as this lives.
class FileBytes {
public:
    virtual ~FileBytes() = default;
    virtual const std::uint8_t* data() const = 0;
    virtual std::size_t size() const = 0;
};

class Probe {
public:
    virtual ~Probe() = default;

    // Whether the path names an existing file, not a folder.
    virtual bool fileExists(const std::string& path) const = 0;
    // The file's bytes as data; null when it cannot be opened or read.
    virtual std::unique_ptr<FileBytes> bytes(const std::string& path) const = 0;
    // The path as the system reaches it for this program: a file in the
    // Windows folder's System32 is the one in SysWOW64 for a 32-bit program
    // on 64-bit Windows. Any other path as it is; nothing is read.
    virtual std::string reachedPath(const std::string& path) const = 0;
    // The folder the loader searches after a component's own (System32, or
    // SysWOW64 for a 32-bit program on 64-bit Windows); empty when unknown.
    virtual std::string systemFolder() const = 0;
    // Whether the system supplies the DLL itself, wherever the files lie: an
    // API set ("api-ms-...", "ext-ms-...") or a known DLL.
    virtual bool suppliedBySystem(const std::string& dll) const = 0;
    // The system's text for an error number, `subject` in place of its first
    // insert ("%1 no es una aplicación Win32 válida."); empty when it has none.
    virtual std::string errorText(std::uint32_t code, const std::string& subject = {}) const = 0;
    // The system's text for a returned status (an HRESULT, read as one);
    // empty when it has none.
    virtual std::string statusText(std::uint32_t status) const = 0;
};

}  // namespace trevanil

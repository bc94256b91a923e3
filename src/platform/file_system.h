// The scripting file-system object: the log's text stream and file copies.
#pragma once

#include <memory>
#include <string>

#include "platform/file_version.h"

namespace trevanil {

class TextStream {
public:
    virtual ~TextStream() = default;  // releases the file; lines written stay
    // Appends the text (converted to the ANSI code page) and CR LF; the bytes
    // are handed to the system before it returns.
    virtual void writeLine(const std::string& text) = 0;
    virtual void close() = 0;  // closing a closed stream does nothing
};

// A copy that did not fail: done, not needed because the destination is a
// newer version of the file (the version rule's wrapper says so), or left
// for the next restart because the destination is in use.
struct CopyOutcome {
    bool keptNewer = false;
    FileVersion source = 0;  // both versions, when the destination was kept
    FileVersion destination = 0;
    std::string atRestart;  // the file replaced at the next restart, as the system reads it then
};

class FileSystemObject {
public:
    virtual ~FileSystemObject() = default;
    // An empty file open for writing; an existing file is replaced.
    virtual std::unique_ptr<TextStream> createTextFile(const std::string& path) = 0;
    // An existing destination is replaced; a refusal raises.
    virtual CopyOutcome copyFile(const std::string& source, const std::string& destination) = 0;
};

}  // namespace trevanil

// The five as shared files. Installers count each shared file under
// SharedDLLs, and an uninstaller removes the file once its count reaches 0:
// each of the five that is in System32 after its copy (copied, kept because
// newer, or there although the copy failed) is counted, once per PC, by the
// convention installers share: a file this run put there counts 1, one that
// was there uncounted 2, an existing count goes up by one. The program's
// record (kCountedKey, one value per file name: 1 where the program put the
// file there, 0 where it was there before) keeps a pass that runs again
// from counting again; where it says counted but the count is missing or 0,
// another product's uninstaller took it, and the file is counted again as
// the first time. A count is named by the file's path as the program writes
// it: the system's Windows folder and System32, whatever folder the system
// sends this program's copies to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "detail/cause.h"
#include "platform/error.h"
#include "platform/runtime.h"
#include "platform/shared_files.h"

namespace trevanil {

// A count as a number: a REG_DWORD's, or a text of decimal digits (some
// installers write strings); nothing for anything else.
std::optional<std::uint32_t> countIn(const RegistryValue& value);

// The program's record of a file it counted: whether it put the file there
// (1) or found it there (0).
constexpr std::uint32_t kRecordPutThere = 1, kRecordWasThere = 0;

// The detailed log's line for a count or a record the registry refused:
// the system's number, or the runtime's with its text when it had none.
Cause countNotWritten(const std::string& fileName, const PlatformError& refused);

// The name of a file's count ("C:\Windows\System32\mscomctl.ocx").
std::string countName(const std::string& windowsFolder, const std::string& fileName);

using CountHeard = std::function<void(const Cause&)>;

// Counts one file that is in System32 after its copy; `wasThere`: it was
// there before the copy. A count that is no number is left alone and heard.
// Raises when the registry refuses.
void countSharedFile(SharedFiles& shared, const std::string& windowsFolder, const std::string& fileName,
                     bool wasThere, const CountHeard& heard);

// The check's finding (/C): the program counted the file and its count is
// now missing or 0. Nothing when it is not, or cannot be read.
std::optional<Cause> countTaken(const SharedFiles& shared, const std::string& windowsFolder,
                                const std::string& fileName);

// The runtime it wraps, except that each copy its file-system objects make
// into System32 is followed by the file's count, after the copy whether it
// succeeded or raised (the copy's outcome and error pass on as they came).
// A count that fails never reaches the pass: `heard` learns why (the
// detailed log); none without it.
class SharedCountRuntime final : public ForwardingRuntime {
public:
    SharedCountRuntime(Runtime& runtime, SharedFiles& shared, std::string windowsFolder, CountHeard heard = {})
        : ForwardingRuntime(runtime), shared_(shared), windowsFolder_(std::move(windowsFolder)),
          heard_(std::move(heard)) {}

    std::unique_ptr<FileSystemObject> createObject(std::string_view className) override;

private:
    SharedFiles& shared_;
    std::string windowsFolder_;
    CountHeard heard_;
};

}  // namespace trevanil

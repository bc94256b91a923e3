// Taking back this program's count of one of the five (/U), the way an
// uninstaller takes back a shared file: only where the program's record
// says it counted the file, one off its count (never below 0) and the
// record gone; where the count reaches 0, the component unregistered from
// the file the pass registers, the count deleted, and the System32 file
// deleted where the record says this program put it there (a file in use:
// at the next restart). A count that is missing or not a number is left as
// it is, and so is everything else of that file. The System copies are
// never touched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "detail/cause.h"
#include "install/registered_file.h"
#include "install/windows_folder.h"
#include "platform/module_loader.h"
#include "platform/restart_renames.h"
#include "platform/shared_files.h"

namespace trevanil {

// What became of one file; each is one line of the log.
enum class Undone {
    removed,        // unregistered; its count and the file this program put there gone
    keptForOthers,  // another product still counts it
    left,           // not counted by this program, or its count is missing or not a number
    failed,         // a step was refused; the detailed log says which
};

class CountTakeBack {
public:
    // `heard` learns why a file was left or a step refused, and which
    // file waits for the restart (the detailed log); none without it.
    using Heard = std::function<void(const Cause&)>;

    CountTakeBack(SharedFiles& shared, RestartRenames& renames, ModuleLoader& loader, const RegisteredFile& registered,
                  WindowsFolders folders, Heard heard = {})
        : shared_(shared), renames_(renames), loader_(loader), registered_(registered), folders_(std::move(folders)),
          heard_(std::move(heard)) {}

    // One file of the list. An unregistration that fails changes nothing
    // of that file, so that /U can run again; a registry or file refusal
    // gives `failed`. A failure of the loader itself raises, as in the pass.
    Undone undo(const std::string& name, std::int32_t hWnd);

    // The files left for deletion at the restart, as the system reads them then.
    const std::vector<std::string>& waiting() const { return waiting_; }

private:
    bool deleteFile(const std::string& name);
    void tell(Cause cause) const;

    SharedFiles& shared_;
    RestartRenames& renames_;
    ModuleLoader& loader_;
    const RegisteredFile& registered_;
    const WindowsFolders folders_;
    Heard heard_;
    std::vector<std::string> waiting_;
};

}  // namespace trevanil

#include "install/replace_at_restart.h"

#include <string_view>
#include <utility>

#include "detail/diagnosis.h"
#include "platform/error.h"
#include "platform/text.h"

namespace trevanil {

namespace {

constexpr std::uint32_t kAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr std::uint32_t kSharingViolation = 32;  // ERROR_SHARING_VIOLATION

// A path of the list as a plain path in lower case: without the mark of a
// rename that replaces ("!") and the system's prefix ("\??\").
std::string plainPath(std::string_view entry) {
    if (!entry.empty() && entry.front() == '!') entry.remove_prefix(1);
    if (entry.substr(0, 4) == "\\??\\") entry.remove_prefix(4);
    return lowerAscii(entry);
}

// Whether `found(from, to)` holds for one rename of the list, both plain.
template <class Found>
bool anyRename(const std::vector<std::string>& pending, Found found) {
    for (std::size_t i = 0; i + 1 < pending.size(); i += 2) {
        if (found(plainPath(pending[i]), plainPath(pending[i + 1]))) return true;
    }
    return false;
}

class ReplacingFileSystem final : public FileSystemObject {
public:
    ReplacingFileSystem(std::unique_ptr<FileSystemObject> fso, RestartRenames& renames,
                        std::vector<std::string>& waiting)
        : fso_(std::move(fso)), renames_(renames), waiting_(waiting) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        return fso_->createTextFile(path);
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        try {
            return fso_->copyFile(source, destination);
        } catch (const PlatformError& refused) {
            if (!destinationInUse(refused.systemCode(), renames_, destination)) throw;
            return atRestart(source, destination, refused);
        }
    }

private:
    // The program's file beside the one in use, then its rename at the
    // restart unless that waits already. A file beside that is not
    // scheduled goes again (never renamed half-copied), and the copy fails
    // as it came.
    CopyOutcome atRestart(const std::string& source, const std::string& destination, const PlatformError& refused) {
        const std::string target = renames_.bootPath(destination);
        const std::string staged = stagedName(target);
        try {
            fso_->copyFile(source, staged);
            if (!renameWaits(renames_.pending(), staged, target)) renames_.schedule(staged, target);
        } catch (...) {
            renames_.discard(staged);
            throw refused;
        }
        waiting_.push_back(target);
        CopyOutcome outcome;
        outcome.atRestart = target;
        return outcome;
    }

    std::unique_ptr<FileSystemObject> fso_;
    RestartRenames& renames_;
    std::vector<std::string>& waiting_;
};

}  // namespace

std::string stagedName(const std::string& bootPath) {
    const std::size_t slash = bootPath.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : bootPath.substr(0, slash + 1);
    return folder + "~trevanil-" + fileNameOf(bootPath) + ".new";
}

bool renameWaits(const std::vector<std::string>& pending, const std::string& from, const std::string& to) {
    const std::string plainFrom = lowerAscii(from), plainTo = lowerAscii(to);
    return anyRename(pending, [&](const auto& f, const auto& t) { return f == plainFrom && t == plainTo; });
}

bool replacedAtRestart(const std::vector<std::string>& pending, const std::string& file) {
    const std::string plain = lowerAscii(file);
    return anyRename(pending, [&](const std::string&, const std::string& t) { return t == plain; });
}

bool destinationInUse(std::uint32_t systemCode, const RestartRenames& renames, const std::string& destination) {
    return systemCode == kSharingViolation || (systemCode == kAccessDenied && renames.inUse(destination));
}

std::unique_ptr<FileSystemObject> ReplaceAtRestartRuntime::createObject(std::string_view className) {
    return std::make_unique<ReplacingFileSystem>(wrapped().createObject(className), renames_, waiting_);
}

}  // namespace trevanil

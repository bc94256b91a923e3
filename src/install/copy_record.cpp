#include "install/copy_record.h"

#include <utility>

#include "detail/diagnosis.h"
#include "platform/text.h"

namespace trevanil {

namespace {

// The wrapped file-system object. The name is noted before the copy starts,
// so a copy is never left unnoted (no memory to note it: no copy either).
class RecordingFileSystem final : public FileSystemObject {
public:
    RecordingFileSystem(std::unique_ptr<FileSystemObject> fso, std::set<std::string>& written)
        : fso_(std::move(fso)), written_(written) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        return fso_->createTextFile(path);
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        const auto [entry, noted] = written_.insert(lowerAscii(fileNameOf(destination)));
        const CopyOutcome outcome = fso_->copyFile(source, destination);
        if (outcome.keptNewer && noted) written_.erase(entry);  // an earlier copy's note stays
        return outcome;
    }

private:
    std::unique_ptr<FileSystemObject> fso_;
    std::set<std::string>& written_;
};

}  // namespace

bool CopyRecord::wrote(const std::string& name) const { return written_.count(lowerAscii(name)) != 0; }

std::unique_ptr<FileSystemObject> RecordingRuntime::createObject(std::string_view className) {
    return std::make_unique<RecordingFileSystem>(wrapped().createObject(className), record_.written_);
}

}  // namespace trevanil

#include "app/quiet_runtime.h"

#include <algorithm>
#include <utility>

namespace trevanil {

namespace {

// The wrapped file-system object, noting each text file it created.
class NotingFileSystem final : public FileSystemObject {
public:
    NotingFileSystem(std::unique_ptr<FileSystemObject> fso, std::vector<std::string>& created)
        : fso_(std::move(fso)), created_(created) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        auto stream = fso_->createTextFile(path);
        created_.push_back(path);
        return stream;
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        return fso_->copyFile(source, destination);
    }

private:
    std::unique_ptr<FileSystemObject> fso_;
    std::vector<std::string>& created_;
};

}  // namespace

std::unique_ptr<FileSystemObject> QuietRuntime::createObject(std::string_view className) {
    return std::make_unique<NotingFileSystem>(wrapped().createObject(className), created_);
}

void QuietRuntime::shell(const std::string&, WindowStyle) {}

bool QuietRuntime::created(const std::string& path) const {
    return std::find(created_.begin(), created_.end(), path) != created_.end();
}

}  // namespace trevanil

#include "install/version_rule.h"

#include <utility>

namespace trevanil {

namespace {

class KeepNewerFileSystem final : public FileSystemObject {
public:
    KeepNewerFileSystem(std::unique_ptr<FileSystemObject> fso, const VersionReader& versions)
        : fso_(std::move(fso)), versions_(versions) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        return fso_->createTextFile(path);
    }

    // No destination, no need to read the source.
    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        if (const auto installed = versions_.versionOf(destination)) {
            const auto offered = versions_.versionOf(source);
            if (keepsDestination(offered, installed)) return {true, *offered, *installed, {}};
        }
        return fso_->copyFile(source, destination);
    }

private:
    std::unique_ptr<FileSystemObject> fso_;
    const VersionReader& versions_;
};

}  // namespace

bool keepsDestination(std::optional<FileVersion> source, std::optional<FileVersion> destination) {
    return source && destination && *destination > *source;
}

std::unique_ptr<FileSystemObject> KeepNewerRuntime::createObject(std::string_view className) {
    return std::make_unique<KeepNewerFileSystem>(wrapped().createObject(className), versions_);
}

}  // namespace trevanil

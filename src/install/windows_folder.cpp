#include "install/windows_folder.h"

#include <string_view>

#include "platform/error.h"
#include "platform/text.h"

namespace trevanil {

namespace {

constexpr std::uint32_t kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND: what a load without a folder gives

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The drive letter, in lower case, of "X:\..." or "\\?\X:\..." (either
// separator); 0 for any other form: relative, on the current drive, a
// share, a device, a pipe.
char driveOf(std::string_view path) {
    if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] == '?' && isSeparator(path[3])) {
        path.remove_prefix(4);
    }
    if (path.size() < 3 || path[1] != ':' || !isSeparator(path[2])) return 0;
    const char drive = static_cast<char>(path[0] | 0x20);  // lower case for a letter
    return drive >= 'a' && drive <= 'z' ? drive : 0;
}

// The wrapped file-system object, whose copies all go into the Windows
// folder: without one, none is made.
class NoCopies final : public FileSystemObject {
public:
    explicit NoCopies(std::unique_ptr<FileSystemObject> fso) : fso_(std::move(fso)) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        return fso_->createTextFile(path);
    }
    CopyOutcome copyFile(const std::string&, const std::string&) override {
        throw PlatformError(errnum::pathNotFound);
    }

private:
    std::unique_ptr<FileSystemObject> fso_;
};

}  // namespace

WindowsFolder windowsFolderFrom(const std::string& windir, const SystemFolders& system) {
    const std::string folder = system.windowsFolder();
    const char drive = driveOf(windir);
    if (drive != 0 && drive == driveOf(folder) && system.sameFolder(windir, folder)) return {folder, std::nullopt};
    return {std::string(), Cause{"WINDIR", causes::WindirRefused{windir, folder}}};
}

std::unique_ptr<FileSystemObject> WindowsFolderRuntime::createObject(std::string_view className) {
    auto fso = wrapped().createObject(className);
    if (!fso || !windowsFolder_.empty()) return fso;
    return std::make_unique<NoCopies>(std::move(fso));
}

std::string WindowsFolderRuntime::environment(std::string_view name) const {
    return lowerAscii(name) == "windir" ? windowsFolder_ : wrapped().environment(name);
}

std::unique_ptr<Module> WindowsFolderLoader::load(const std::string& path) {
    return windowsFolder_.empty() ? nullptr : loader_.load(path);
}

std::uint32_t WindowsFolderLoader::lastError() const {
    return windowsFolder_.empty() ? kPathNotFound : loader_.lastError();
}

}  // namespace trevanil

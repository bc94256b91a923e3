#include "fake_platform.h"

#include <new>
#include <sstream>

#include "app/form_design.h"
#include "platform/error.h"

namespace trevanil::fake {

namespace {

class FakeTextStream : public TextStream {
public:
    FakeTextStream(FakePlatform& platform, std::string path) : platform_(platform), path_(std::move(path)) {}

    void writeLine(const std::string& text) override {
        platform_.change("writeLine", text);
        if (platform_.openFiles.count(path_) == 0) throw PlatformError(errnum::badFileName);
        platform_.files[path_] += text + "\r\n";
    }

    void close() override {
        platform_.change("close");
        platform_.openFiles.erase(path_);
    }

private:
    FakePlatform& platform_;
    std::string path_;
};

class FakeFileSystemObject : public FileSystemObject {
public:
    explicit FakeFileSystemObject(FakePlatform& platform) : platform_(platform) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        platform_.change("createTextFile", path);
        platform_.files[path].clear();
        platform_.openFiles.insert(path);
        return std::make_unique<FakeTextStream>(platform_, path);
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        platform_.change("copyFile", source + " -> " + destination);
        const auto found = platform_.files.find(source);
        if (found == platform_.files.end()) throw PlatformError(errnum::fileNotFound);
        if (const auto r = platform_.refused.find(destination); r != platform_.refused.end()) {
            throw PlatformError(errnum::permissionDenied, "Permiso denegado", r->second);
        }
        // As the real copy: a copied file keeps its version.
        auto& versions = platform_.versions;
        const auto from = versions.find(source);
        platform_.files[destination] = found->second;
        from != versions.end() ? void(versions[destination] = from->second) : void(versions.erase(destination));
        return {};
    }

private:
    FakePlatform& platform_;
};

// Entry points are numbered 1.. in the order of the module's export table.
class FakeLoadedModule : public Module {
public:
    FakeLoadedModule(FakePlatform& platform, const FakeModule& exports) : platform_(platform), exports_(exports) {}
    ~FakeLoadedModule() override { platform_.journal.push_back("free"); }

    EntryPoint procAddress(const std::string& name) const override {
        platform_.change("procAddress", name);
        EntryPoint entry = 1;
        for (const auto& e : exports_) {
            if (e.first == name) return entry;
            ++entry;
        }
        return 0;
    }

    std::int32_t call(EntryPoint entry, std::int32_t hWnd) override {
        auto e = exports_.begin();
        for (EntryPoint n = 1; n < entry && e != exports_.end(); ++n) ++e;
        platform_.change("call", entry == 0 || e == exports_.end() ? "?" : e->first);
        platform_.callHandles.push_back(hWnd);
        return e == exports_.end() ? -1 : e->second;
    }

private:
    FakePlatform& platform_;
    FakeModule exports_;
};

// C:\WINDOWS\System32 as a 32-bit program on 64-bit Windows reaches it.
std::string reached(const std::string& path, bool wow64) {
    const std::string system32 = "C:\\WINDOWS\\System32\\";
    return wow64 && path.rfind(system32, 0) == 0 ? "C:\\WINDOWS\\SysWOW64\\" + path.substr(system32.size()) : path;
}

std::string show(float value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

}  // namespace

FakePlatform::FakePlatform() {
    for (const auto item : frmTrevanilDesign().items) {
        const std::string name(item);
        list1.items.push_back(name);
        list2.items.push_back(name);
        files[appFolder + "\\" + name] = "<" + name + ">";
        modules["C:\\WINDOWS\\System\\" + name] = {{"DllRegisterServer", 0}, {"DllUnregisterServer", 0}};
    }
}

void FakePlatform::fail(const std::string& op, int nth, std::int32_t number, std::string description) {
    faults_.push_back({op, nth, number, std::move(description)});
}

const FakePlatform::Fault* FakePlatform::due(const std::string& op) const {
    const int n = ++calls_[op];
    for (const auto& f : faults_) {
        if (f.op == op && f.nth == n) return &f;
    }
    return nullptr;
}

void FakePlatform::change(const std::string& op, const std::string& detail) {
    std::string entry = detail.empty() ? op : op + " " + detail;
    if (const Fault* f = due(op)) {
        journal.push_back(entry + " [error " + std::to_string(f->number) + "]");
        throw PlatformError(f->number, f->description);
    }
    journal.push_back(std::move(entry));
}

void FakePlatform::read(const std::string& op) const {
    if (const Fault* f = due(op)) throw PlatformError(f->number, f->description);
}

std::vector<std::string> FakePlatform::only(const std::string& op, const std::string& part) const {
    std::vector<std::string> entries;
    for (const auto& e : journal) {
        if ((op.empty() || e == op || e.rfind(op + " ", 0) == 0) && e.find(part) != std::string::npos) {
            entries.push_back(e);
        }
    }
    return entries;
}

RegistryValue FakePlatform::value(SharedKey key, const std::string& name) const {
    read("value");
    const auto& values = key == SharedKey::counts ? sharedDlls : counted;
    const auto found = values.find(name);
    return found == values.end() ? RegistryValue{} : found->second;
}

void FakePlatform::setNumber(SharedKey key, const std::string& name, std::uint32_t number) {
    change("setNumber", name + " " + std::to_string(number));
    (key == SharedKey::counts ? sharedDlls : counted)[name] = RegistryValue{RegistryValue::Type::number, number, {}};
}

std::int16_t FakeListBox::listCount() const {
    platform_.read("listCount");
    return static_cast<std::int16_t>(items.size());
}

std::string FakeListBox::list(std::int16_t index) const {
    platform_.read("list");
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) throw PlatformError(errnum::invalidArgument);
    return items[static_cast<std::size_t>(index)];
}

void FakeProgressBar::setValue(float value) {
    platform_.change("progress", show(value));
    value_ = value;
}

void FakeTimer::setInterval(std::int32_t milliseconds) {
    platform_.change(name_, "interval " + std::to_string(milliseconds));
    interval_ = milliseconds;
}

void FakeTimer::setEnabled(bool enabled) {
    platform_.change(name_, enabled ? "enabled true" : "enabled false");
    enabled_ = enabled;
}

void FakePlatform::setCaption(const std::string& text) {
    change("caption", text);
    caption_ = text;
}

std::int32_t FakePlatform::hWnd() const {
    read("hWnd");
    return handle;
}

void FakePlatform::unload() { change("unload"); }

std::unique_ptr<FileSystemObject> FakePlatform::createObject(std::string_view className) {
    change("createObject", std::string(className));
    if (className != kFileSystemObjectClass) throw PlatformError(errnum::cannotCreateObject);
    return std::make_unique<FakeFileSystemObject>(*this);
}

std::string FakePlatform::appPath() const {
    read("appPath");
    return appFolder;
}

std::string FakePlatform::logPath() const {
    read("logPath");
    return logFile.empty() ? appFolder + "\\RegistroOCX.log" : logFile;
}

std::string FakePlatform::environment(std::string_view name) const {
    read("environment");
    const auto found = env.find(std::string(name));
    return found == env.end() ? std::string() : found->second;
}

void FakePlatform::openViewer(const std::string& path) { change("openViewer", path); }

void FakePlatform::doEvents() {
    change("doEvents");
    if (onDoEvents) onDoEvents();
}

void FakePlatform::msgBox(const std::string& prompt) {
    change("msgBox", prompt);
    if (onMsgBox) onMsgBox();
}

void FakePlatform::end() { change("end"); }

std::unique_ptr<Module> FakePlatform::load(const std::string& path) {
    change("load", path);
    const auto found = modules.find(path);
    if (found == modules.end()) return nullptr;
    return std::make_unique<FakeLoadedModule>(*this, found->second);
}

std::optional<FileVersion> FakePlatform::versionOf(const std::string& path) const {
    read("versionOf");
    const auto found = versions.find(path);
    return found == versions.end() ? std::nullopt : std::optional<FileVersion>(found->second);
}

std::string FakePlatform::bootPath(const std::string& path) const { return read("bootPath"), reached(path, wow64); }

void FakeProbe::ask() const {
    if (broken) throw std::bad_alloc();
}

std::unique_ptr<FileBytes> FakeProbe::bytes(const std::string& path) const {
    struct Held : FileBytes {
        explicit Held(const std::string& b) : bytes(b) {}
        const std::uint8_t* data() const override { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }
        std::size_t size() const override { return bytes.size(); }
        const std::string& bytes;
    };
    ask();
    const auto found = files_.find(path);
    return found == files_.end() || unreadable.count(path) != 0 ? nullptr : std::make_unique<Held>(found->second);
}

std::string FakeProbe::reachedPath(const std::string& path) const { return ask(), reached(path, wow64); }

std::string FakeProbe::errorText(std::uint32_t code, const std::string& subject) const {
    ask();
    const auto found = texts.find(code);
    std::string text = found == texts.end() ? std::string() : found->second;
    if (const std::size_t insert = text.find("%1"); insert != std::string::npos) text.replace(insert, 2, subject);
    return text;
}

}  // namespace trevanil::fake

#include "install/shared_counts.h"

#include <limits>

#include "detail/diagnosis.h"
#include "platform/error.h"

namespace trevanil {

namespace {

using Type = RegistryValue::Type;


// The wrapped file-system object. Whether the file was there is asked
// before the copy; a question that fails leaves the file uncounted.
class CountingFileSystem final : public FileSystemObject {
public:
    CountingFileSystem(std::unique_ptr<FileSystemObject> fso, SharedFiles& shared, const std::string& windowsFolder,
                       const CountHeard& heard)
        : fso_(std::move(fso)), shared_(shared), windowsFolder_(windowsFolder), heard_(heard) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        return fso_->createTextFile(path);
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        std::optional<bool> wasThere;
        try {
            wasThere = shared_.fileExists(destination);
        } catch (...) {
        }
        CopyOutcome outcome;
        try {
            outcome = fso_->copyFile(source, destination);
        } catch (...) {
            count(destination, wasThere);
            throw;
        }
        count(destination, wasThere);
        return outcome;
    }

private:
    void count(const std::string& destination, std::optional<bool> wasThere) noexcept {
        try {
            const std::string name = fileNameOf(destination);
            try {
                if (wasThere && shared_.fileExists(destination)) {
                    countSharedFile(shared_, windowsFolder_, name, *wasThere, heard_);
                }
            } catch (const PlatformError& e) {
                if (heard_) heard_(countNotWritten(name, e));
            }
        } catch (...) {  // no memory: uncounted, as after a refusal
        }
    }

    std::unique_ptr<FileSystemObject> fso_;
    SharedFiles& shared_;
    const std::string& windowsFolder_;
    const CountHeard& heard_;
};

}  // namespace

std::optional<std::uint32_t> countIn(const RegistryValue& value) {
    if (value.type == Type::number) return value.number;
    if (value.type != Type::text || value.text.empty() || value.text.size() > 10) return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : value.text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

Cause countNotWritten(const std::string& fileName, const PlatformError& refused) {
    const bool fromSystem = refused.systemCode() != 0;
    const auto code = fromSystem ? refused.systemCode() : static_cast<std::uint32_t>(refused.number());
    return Cause{fileName, causes::CountNotWritten{code, fromSystem ? "" : refused.description()}};
}

std::string countName(const std::string& windowsFolder, const std::string& fileName) {
    return windowsFolder + "\\System32\\" + fileName;
}

void countSharedFile(SharedFiles& shared, const std::string& windowsFolder, const std::string& fileName,
                     bool wasThere, const CountHeard& heard) {
    const std::string name = countName(windowsFolder, fileName);
    const RegistryValue counted = shared.value(SharedKey::counted, fileName);
    const RegistryValue value = shared.value(SharedKey::counts, name);
    const std::optional<std::uint32_t> count = countIn(value);
    if (value.type != Type::absent && !count) {
        if (heard) heard(Cause{fileName, causes::CountNotANumber{name}});
        return;
    }
    const std::uint32_t now = count.value_or(0);
    if (counted.type != Type::absent && now > 0) return;  // once per PC
    const std::uint32_t first = wasThere ? 2 : 1;  // there before: someone installed it without counting
    const bool full = now == std::numeric_limits<std::uint32_t>::max();
    shared.setNumber(SharedKey::counts, name, now == 0 ? first : full ? now : now + 1);
    // Once put there by the program, its file for as long as the record lasts.
    const bool putThere = !wasThere || (counted.type == Type::number && counted.number == kRecordPutThere);
    shared.setNumber(SharedKey::counted, fileName, putThere ? kRecordPutThere : kRecordWasThere);
}

std::optional<Cause> countTaken(const SharedFiles& shared, const std::string& windowsFolder,
                                const std::string& fileName) {
    try {
        if (shared.value(SharedKey::counted, fileName).type == Type::absent) return std::nullopt;
        const std::string name = countName(windowsFolder, fileName);
        const RegistryValue value = shared.value(SharedKey::counts, name);
        if (value.type != Type::absent && countIn(value) != std::uint32_t{0}) return std::nullopt;
        return Cause{fileName, causes::CountTaken{name}};
    } catch (const PlatformError&) {
        return std::nullopt;
    }
}

std::unique_ptr<FileSystemObject> SharedCountRuntime::createObject(std::string_view className) {
    return std::make_unique<CountingFileSystem>(wrapped().createObject(className), shared_, windowsFolder_, heard_);
}

}  // namespace trevanil

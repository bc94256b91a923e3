#include "platform/detailed_runtime.h"

#include <utility>

namespace trevanil {

namespace {

// The wrapped stream; its first close writes the detail lines first.
class DetailedStream final : public TextStream {
public:
    DetailedStream(std::unique_ptr<TextStream> stream, std::function<std::vector<std::string>()> details)
        : stream_(std::move(stream)), details_(std::move(details)) {}

    void writeLine(const std::string& text) override { stream_->writeLine(text); }

    void close() override {
        if (details_) {
            const auto details = std::exchange(details_, nullptr);
            for (const std::string& line : details()) stream_->writeLine(line);
        }
        stream_->close();
    }

private:
    std::unique_ptr<TextStream> stream_;
    std::function<std::vector<std::string>()> details_;
};

// The wrapped file-system object: a copy's failure is noted, then goes on
// as it came (the copy phase ignores it); so is a newer file kept.
class DetailedFileSystem final : public FileSystemObject {
public:
    DetailedFileSystem(std::unique_ptr<FileSystemObject> fso, std::vector<CopyNotDone>& failures,
                       const DetailedRuntime::Details& details)
        : fso_(std::move(fso)), failures_(failures), details_(details) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        // Both belong to the runtime, which outlives every stream.
        auto details = [&failures = failures_, &lines = details_] { return lines(failures); };
        return std::make_unique<DetailedStream>(fso_->createTextFile(path), std::move(details));
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        try {
            const CopyOutcome outcome = fso_->copyFile(source, destination);
            if (outcome.keptNewer) failures_.push_back({source, destination, PlatformError(0, {}), outcome});
            return outcome;
        } catch (const PlatformError& e) {
            failures_.push_back({source, destination, e, {}});
            throw;
        }
    }

private:
    std::unique_ptr<FileSystemObject> fso_;
    std::vector<CopyNotDone>& failures_;
    const DetailedRuntime::Details& details_;
};

}  // namespace

std::unique_ptr<FileSystemObject> DetailedRuntime::createObject(std::string_view className) {
    return std::make_unique<DetailedFileSystem>(runtime_.createObject(className), copyFailures_, details_);
}

}  // namespace trevanil

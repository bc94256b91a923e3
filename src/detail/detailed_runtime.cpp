#include "detail/detailed_runtime.h"

#include <new>
#include <utility>
#include <vector>

namespace trevanil {

namespace {

// The wrapped stream; its first close writes the detail lines first. Lines
// that cannot be made (no memory) are left out: the log still closes.
class DetailedStream final : public TextStream {
public:
    DetailedStream(std::unique_ptr<TextStream> stream, const DetailCollector& collector)
        : stream_(std::move(stream)), collector_(&collector) {}

    void writeLine(const std::string& text) override { stream_->writeLine(text); }

    void close() override {
        if (const DetailCollector* collector = std::exchange(collector_, nullptr)) {
            std::vector<std::string> lines;
            try {
                lines = collector->lines();
            } catch (const std::bad_alloc&) {
            }
            for (const std::string& line : lines) stream_->writeLine(line);
        }
        stream_->close();
    }

private:
    std::unique_ptr<TextStream> stream_;
    const DetailCollector* collector_;  // outlives every stream; null once written
};

// The wrapped file-system object: a copy's failure is told, then goes on as
// it came (the copy phase ignores it); so is a newer file kept, and a
// file left for the restart.
class DetailedFileSystem final : public FileSystemObject {
public:
    DetailedFileSystem(std::unique_ptr<FileSystemObject> fso, DetailCollector& collector)
        : fso_(std::move(fso)), collector_(collector) {}

    std::unique_ptr<TextStream> createTextFile(const std::string& path) override {
        return std::make_unique<DetailedStream>(fso_->createTextFile(path), collector_);
    }

    CopyOutcome copyFile(const std::string& source, const std::string& destination) override {
        try {
            const CopyOutcome outcome = fso_->copyFile(source, destination);
            if (outcome.keptNewer) {
                collector_.add({fileNameOf(source), causes::KeptNewer{outcome.destination, outcome.source}});
            }
            if (!outcome.atRestart.empty()) {
                collector_.add({fileNameOf(source), causes::ReplacedAtRestart{outcome.atRestart}});
            }
            return outcome;
        } catch (const PlatformError& e) {
            collector_.copyNotDone({source, destination, e});
            throw;
        }
    }

private:
    std::unique_ptr<FileSystemObject> fso_;
    DetailCollector& collector_;
};

}  // namespace

std::unique_ptr<FileSystemObject> DetailedRuntime::createObject(std::string_view className) {
    return std::make_unique<DetailedFileSystem>(wrapped().createObject(className), collector_);
}

}  // namespace trevanil

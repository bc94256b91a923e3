#include "detail/detail_collector.h"

#include <new>
#include <utility>

#include "detail/log_texts.h"

namespace trevanil {

namespace {

// The cause `find` gives, or the line that says it could not be found. A
// line that cannot even be kept (no memory at all) is left out: the pass
// goes on as it would without the detailed log.
template <class Find>
void keep(std::vector<Cause>& causes, const std::string& path, Find find) noexcept {
    try {
        try {
            causes.push_back(find());
        } catch (...) {
            causes.push_back(Cause{fileNameOf(path), causes::Unknown{}});
        }
    } catch (...) {
    }
}

}  // namespace

void DetailCollector::copyNotDone(const CopyNotDone& failure) noexcept {
    keep(causes_, failure.source, [&] { return diagnose(probe_, failure); });
}

void DetailCollector::registrationNotDone(const RegistrationNotDone& failure) noexcept {
    keep(causes_, failure.path, [&] { return diagnose(probe_, failure, programBits_); });
}

void DetailCollector::add(const Cause& cause) noexcept {
    keep(causes_, cause.file, [&] {
        Cause named = cause;
        if (auto* made = std::get_if<causes::RegisteredFromSystem32>(&named.detail)) {
            made->path = probe_.reachedPath(made->path);
        }
        if (auto* count = std::get_if<causes::CountNotWritten>(&named.detail); count && count->systemText.empty()) {
            count->systemText = probe_.errorText(count->code);
        }
        if (auto* refused = std::get_if<causes::NotDeleted>(&named.detail); refused && refused->systemText.empty()) {
            refused->systemText = probe_.errorText(refused->code, refused->path);
        }
        return named;
    });
}

std::vector<std::string> DetailCollector::lines() const {
    std::vector<std::string> lines;
    lines.reserve(causes_.size());
    for (const Cause& cause : causes_) lines.push_back(logtext::detailLine(cause));
    return lines;
}

}  // namespace trevanil

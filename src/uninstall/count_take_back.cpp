#include "uninstall/count_take_back.h"

#include <optional>

#include "install/replace_at_restart.h"
#include "install/shared_counts.h"
#include "platform/error.h"
#include "register/self_registration.h"

namespace trevanil {

namespace {

using Type = RegistryValue::Type;


// The system's number behind a refusal, or the runtime's when it had none.
std::uint32_t codeOf(const PlatformError& e) {
    return e.systemCode() != 0 ? e.systemCode() : static_cast<std::uint32_t>(e.number());
}
std::string textOf(const PlatformError& e) { return e.systemCode() != 0 ? std::string() : e.description(); }

}  // namespace

void CountTakeBack::tell(Cause cause) const {
    if (heard_) heard_(cause);
}

Undone CountTakeBack::undo(const std::string& name, std::int32_t hWnd) {
    std::string value;
    RegistryValue record;
    std::optional<std::uint32_t> count;
    try {
        record = shared_.value(SharedKey::counted, name);
        if (record.type == Type::absent) return Undone::left;
        if (folders_.none()) return Undone::failed;  // no Windows folder: the detailed log already says why
        value = countName(folders_.windows, name);
        const RegistryValue counts = shared_.value(SharedKey::counts, value);
        count = countIn(counts);
        if (!count) {
            tell(counts.type == Type::absent ? Cause{name, causes::CountMissing{value}}
                                             : Cause{name, causes::CountNotANumber{value}});
            return Undone::left;
        }
        if (*count > 1) {
            shared_.setNumber(SharedKey::counts, value, *count - 1);
            shared_.removeValue(SharedKey::counted, name);
            return Undone::keptForOthers;
        }
    } catch (const PlatformError& e) {
        tell(countNotWritten(name, e));
        return Undone::failed;
    }
    // The count reaches 0: unregistered first, so that a refusal leaves the
    // file, its count and the record as they were.
    const RegisteredFile::Choice file = registered_.of(folders_, name);
    if (!selfRegistration::registrarServidor(loader_, hWnd, file.path, false)) return Undone::failed;
    try {
        shared_.removeValue(SharedKey::counts, value);
        const bool putThere = record.type == Type::number && record.number == kRecordPutThere;
        const bool deleted = !putThere || deleteFile(name);
        shared_.removeValue(SharedKey::counted, name);
        return deleted ? Undone::removed : Undone::failed;
    } catch (const PlatformError& e) {
        tell(countNotWritten(name, e));
        return Undone::failed;
    }
}

// A file in use is deleted at the restart, named as the system reads it
// then (the real SysWOW64 for the 32-bit program).
bool CountTakeBack::deleteFile(const std::string& name) {
    const std::string path = folders_.system32 + "\\" + name;
    if (!shared_.fileExists(path)) return true;
    try {
        shared_.removeFile(path);
        return true;
    } catch (const PlatformError& refused) {
        const std::string target = renames_.bootPath(path);
        if (!destinationInUse(refused.systemCode(), renames_, path)) {
            tell(Cause{name, causes::NotDeleted{target, codeOf(refused), textOf(refused)}});
            return false;
        }
        try {
            renames_.scheduleDeletion(target);
        } catch (const PlatformError& e) {
            tell(Cause{name, causes::NotDeleted{target, codeOf(e), textOf(e)}});
            return false;
        }
        waiting_.push_back(target);
        tell(Cause{name, causes::DeletedAtRestart{target}});
        return true;
    }
}

}  // namespace trevanil

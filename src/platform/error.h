// Platform failures: a 32-bit number and a Spanish description, numbered
// the way the classic Windows runtime numbered its trappable errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace trevanil {

namespace errnum {
constexpr std::int32_t invalidArgument = 5;
constexpr std::int32_t overflow = 6;
constexpr std::int32_t outOfMemory = 7;
constexpr std::int32_t divisionByZero = 11;
constexpr std::int32_t badFileName = 52;
constexpr std::int32_t fileNotFound = 53;
constexpr std::int32_t ioError = 57;
constexpr std::int32_t fileAlreadyExists = 58;
constexpr std::int32_t diskFull = 61;
constexpr std::int32_t permissionDenied = 70;
constexpr std::int32_t diskNotReady = 71;
constexpr std::int32_t pathFileAccessError = 75;
constexpr std::int32_t pathNotFound = 76;
constexpr std::int32_t objectVariableNotSet = 91;
constexpr std::int32_t cannotCreateObject = 429;
constexpr std::int32_t objectDoesNotSupport = 438;
}  // namespace errnum

// Spanish text for a runtime error number; a generic text for unknown ones.
std::string errorDescription(std::int32_t number);

class PlatformError : public std::runtime_error {
public:
    // `systemCode`: the system's own error code behind it, 0 when none.
    PlatformError(std::int32_t number, std::string description, std::uint32_t systemCode = 0);
    explicit PlatformError(std::int32_t number);  // description from the table

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    std::uint32_t systemCode() const noexcept { return systemCode_; }

private:
    std::int32_t number_;
    std::string description_;
    std::uint32_t systemCode_;
};

// The report of an error as the user reads it: its number, a blank and its
// description ("53 No se ha encontrado el archivo").
std::string errorReport(const PlatformError& error);

// Maps a Win32 error code (GetLastError) onto a runtime error that keeps the
// code; the table is plain data so it is tested on every host.
PlatformError errorFromWin32(std::uint32_t win32Code, std::int32_t fallback = errnum::pathFileAccessError);

}  // namespace trevanil

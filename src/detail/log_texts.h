// Every text the registration log holds, in one place: the component lines,
// the report of a pass that broke off, and the detailed log's line for each
// cause. UTF-8 here; the log is written in the system's ANSI code page.
#pragma once

#include <string>

#include "detail/cause.h"
#include "platform/pe_image.h"

namespace trevanil::logtext {

// A component's line: its name, then one of these.
inline constexpr const char* kRegistered = " Se registro exitosamente ";
inline constexpr const char* kNotRegistered = " Error; registrando ";

// A component's line of /U: its name, then one of these. Removed: its count
// reached 0, it was unregistered and the file this program put in System32
// deleted (or left for the restart); kept: another product still counts it;
// left: this program did not count it, or its count is missing or not a
// number; not removed: a step failed, and the detailed log says which.
inline constexpr const char* kRemoved = " Se quito exitosamente ";
inline constexpr const char* kKeptForOthers = " Se dejo; lo usan otros programas ";
inline constexpr const char* kLeft = " Se dejo como estaba ";
inline constexpr const char* kNotRemoved = " Error; quitando ";

// The check's line of a component: its name, then one of these (and, when
// right, the version of its System32 file).
inline constexpr const char* kRight = " Correcto";
inline constexpr const char* kWrong = " Incorrecto";

// An unattended run's report, after the component lines: no component name
// starts with an asterisk, which no file name may hold.
inline constexpr const char* kReportMark = "*** Instalacion interrumpida: ";

// "*** <file>: <cause>", every control character (CR, LF, tab...) made a
// blank: text read from a file never adds a line of its own.
std::string detailLine(const Cause& cause);

// What is wrong in a file that is not a readable image ("no empieza por una
// cabecera MZ").
std::string problemText(pe::Problem problem);

}  // namespace trevanil::logtext

// The system's own text for an error code or a returned status, from its
// message table in the system's language.
#pragma once

#include <cstdint>
#include <string>

namespace trevanil::win32 {

// Empty when the system has no text for the code. `subject` takes the
// place of the text's first insert ("%1 is not a valid Win32 application").
std::string systemText(std::uint32_t code, const std::string& subject = {});

}  // namespace trevanil::win32

// Text helpers the logic needs; all text is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace trevanil {

// Removes leading and trailing spaces (only the blank, as the classic Trim).
std::string trim(std::string_view text);

// ASCII letters in lower case, everything else as it is: switches and DLL
// names compare without regard to case.
std::string lowerAscii(std::string_view text);

}  // namespace trevanil

// UTF-8 inside; UTF-16 for the wide calls; the ANSI code page only where a
// narrow form is wanted (module loading, the log's bytes).
#pragma once

#include <string>
#include <string_view>

namespace trevanil::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);
// Characters the code page lacks become its default character ('?').
std::string toAnsi(std::string_view utf8);

// Whether two names are the same as the file system compares them: code unit
// by code unit, ignoring case.
bool equalIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace trevanil::win32

// The lists' font: the design's face where the system has it, else a close
// substitute; size and weight always from the design.
#pragma once

#include <string>

#include "platform/form_design.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

// The face that will be used for the design's font on this system.
std::wstring fontFaceFor(const FormDesign& design);

// The font at a character height in pixels (negative, as in layoutAt).
unique_hfont createFormFont(const FormDesign& design, int height);

}  // namespace trevanil::win32

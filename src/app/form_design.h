// The main window's design-time settings: its title, size, controls and
// the component list (the type: platform/form_design.h).
#pragma once

#include "platform/form_design.h"

namespace trevanil {

const FormDesign& frmTrevanilDesign();

}  // namespace trevanil

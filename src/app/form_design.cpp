#include "app/form_design.h"

namespace trevanil {

namespace {

constexpr FormDesign kDesign{
    "Trevanil",
    9480,
    8220,
    {"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "mscomctl.ocx", "msflxgrd.ocx"},
    "MS Sans Serif",
    975,
    700,
    {0, 0, 2775, 1260},
    {2040, 2520, 2775, 4140},
    {0, 1320, 2775, 375},
    0.0f,
    100.0f,
    {0, false},
    {1000, true},
};

}  // namespace

const FormDesign& frmTrevanilDesign() { return kDesign; }

}  // namespace trevanil

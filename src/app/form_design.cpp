#include "app/form_design.h"

namespace trevanil {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kPointsPerInch = 72;

// Rounds to nearest, as MulDiv does, for the non-negative values used here.
int scale(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator + denominator / 2) / denominator);
}

PixelRect toPixels(const TwipsRect& r, int dpi) {
    return {scale(r.left, dpi, kTwipsPerInch), scale(r.top, dpi, kTwipsPerInch),
            scale(r.width, dpi, kTwipsPerInch), scale(r.height, dpi, kTwipsPerInch)};
}

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

FormLayout layoutAt(const FormDesign& design, int dpi) {
    return {scale(design.clientWidth, dpi, kTwipsPerInch),
            scale(design.clientHeight, dpi, kTwipsPerInch),
            toPixels(design.list1, dpi),
            toPixels(design.list2, dpi),
            toPixels(design.progressBar1, dpi),
            -scale(design.fontHundredthsOfPoint, dpi, kPointsPerInch * 100)};
}

}  // namespace trevanil

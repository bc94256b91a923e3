#include "platform/form_design.h"

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

}  // namespace

FormLayout layoutAt(const FormDesign& design, int dpi) {
    return {scale(design.clientWidth, dpi, kTwipsPerInch),
            scale(design.clientHeight, dpi, kTwipsPerInch),
            toPixels(design.list1, dpi),
            toPixels(design.list2, dpi),
            toPixels(design.progressBar1, dpi),
            -scale(design.fontHundredthsOfPoint, dpi, kPointsPerInch * 100)};
}

}  // namespace trevanil

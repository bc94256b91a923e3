#include "app/form_design.h"

#include <gtest/gtest.h>

#include <ostream>

namespace trevanil {

std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
    return out << r.left << ',' << r.top << ',' << r.width << ',' << r.height;
}

namespace {

TEST(FormDesign, SettingsOfTheWindowAndItsControls) {
    const FormDesign& d = frmTrevanilDesign();
    EXPECT_EQ(d.caption, "Trevanil");
    EXPECT_EQ(d.clientWidth, 9480);
    EXPECT_EQ(d.clientHeight, 8220);
    const std::array<std::string_view, 5> items{"comdlg32.ocx", "msadodc.ocx", "mscomct2.ocx", "mscomctl.ocx",
                                                "msflxgrd.ocx"};
    EXPECT_EQ(d.items, items);
    EXPECT_EQ(d.fontFace, "MS Sans Serif");
    EXPECT_EQ(d.fontHundredthsOfPoint, 975);
    EXPECT_EQ(d.fontWeight, 700);
    EXPECT_EQ(d.progressMin, 0.0f);
    EXPECT_EQ(d.progressMax, 100.0f);
    EXPECT_EQ(d.timer1.interval, 0);
    EXPECT_FALSE(d.timer1.enabled);
    EXPECT_EQ(d.timer2.interval, 1000);
    EXPECT_TRUE(d.timer2.enabled);
}

struct LayoutRow {
    int dpi;
    FormLayout layout;
};

class Layout : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(Layout, IsTheDesignInPixelsRoundingHalvesUp) {
    const FormLayout expected = GetParam().layout;
    const FormLayout l = layoutAt(frmTrevanilDesign(), GetParam().dpi);
    EXPECT_EQ(l.clientWidth, expected.clientWidth);
    EXPECT_EQ(l.clientHeight, expected.clientHeight);
    EXPECT_EQ(l.list1, expected.list1);
    EXPECT_EQ(l.progressBar1, expected.progressBar1);
    EXPECT_EQ(l.list2, expected.list2);
    EXPECT_EQ(l.fontHeight, expected.fontHeight);
}

// At 144 DPI, 277.5 pixels become 278, 37.5 become 38 and a 19.5-pixel font 20.
INSTANTIATE_TEST_SUITE_P(Dpi, Layout, ::testing::Values(
    LayoutRow{96, {632, 548, {0, 0, 185, 84}, {136, 168, 185, 276}, {0, 88, 185, 25}, -13}},
    LayoutRow{144, {948, 822, {0, 0, 278, 126}, {204, 252, 278, 414}, {0, 132, 278, 38}, -20}}));

TEST(FormDesign, NoTwoVisibleControlsOverlapAtAnyCommonDpi) {
    const auto overlap = [](const PixelRect& a, const PixelRect& b) {
        return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
               b.top < a.top + a.height;
    };
    for (int dpi : {96, 120, 144, 192}) {
        const FormLayout l = layoutAt(frmTrevanilDesign(), dpi);
        EXPECT_FALSE(overlap(l.list1, l.progressBar1)) << dpi;
        EXPECT_FALSE(overlap(l.list1, l.list2)) << dpi;
        EXPECT_FALSE(overlap(l.progressBar1, l.list2)) << dpi;
        EXPECT_LE(l.list2.top + l.list2.height, l.clientHeight) << dpi;
    }
}

}  // namespace
}  // namespace trevanil

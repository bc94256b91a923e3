// What a window's design says: its settings in twips, and their layout in
// pixels at one DPI. The values of the program's own window live with the
// program (app/form_design.h); the window is handed them.
// Lengths are twips: 1440 to the inch, 15 to the pixel at 96 DPI.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace trevanil {

struct TwipsRect {
    int left, top, width, height;
};

struct PixelRect {
    int left, top, width, height;
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

struct TimerDesign {
    std::int32_t interval;
    bool enabled;
};

struct FormDesign {
    std::string_view caption;
    int clientWidth, clientHeight;  // twips
    std::array<std::string_view, 5> items;  // List1 and List2, index order
    std::string_view fontFace;
    int fontHundredthsOfPoint;  // 975: 9.75 points
    int fontWeight;
    TwipsRect list1, list2, progressBar1;
    float progressMin, progressMax;
    TimerDesign timer1, timer2;
};

// Every rectangle of the window at one DPI; the one place twips become pixels.
struct FormLayout {
    int clientWidth, clientHeight;
    PixelRect list1, list2, progressBar1;
    int fontHeight;  // negative: character height, as a LOGFONT wants it
};

FormLayout layoutAt(const FormDesign& design, int dpi);

}  // namespace trevanil

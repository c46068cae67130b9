#pragma once
#include <QPointF>
#include <QRectF>

#include <span>

// Geometry of the main window in twips, kept free of widgets so it can be
// checked without a screen.
namespace MainLayout {

// Design client area; the outer window is 120 twips wider and 690 higher
// (frame, caption and menu bar), which makes the base outer size 7410 × 5100.
inline constexpr double kClientWidth = 7290;
inline constexpr double kClientHeight = 4410;
inline constexpr double kExtraWidth = 120;
inline constexpr double kExtraHeight = 690;
inline constexpr double kBaseWidth = kClientWidth + kExtraWidth;    // 7410
inline constexpr double kBaseHeight = kClientHeight + kExtraHeight; // 5100

inline constexpr double outerWidth(double clientWidth) { return clientWidth + kExtraWidth; }
inline constexpr double outerHeight(double clientHeight) { return clientHeight + kExtraHeight; }

// The controls that follow the window size. Label4..Label10 share one top.
struct Geometry {
    QRectF drive1, dir1, combo1, file1, list1;
    double label4Left = 0, label5Left = 0, label6Left = 0, label9Left = 0, label10Left = 0;
    double labelTop = 0;
    double panel1Width = 0;   // first status-bar panel
};

// Layout for the outer size W × H. combo1Height is the filter box's actual
// height (300 at design), which the file list's top depends on.
Geometry compute(double W, double H, double combo1Height = 300);

// Window position at start-up for a screen and an outer window size, all in
// twips: centred horizontally, a third of the way down to the centred spot.
QPointF placement(double screenWidth, double screenHeight, double windowWidth, double windowHeight);

// The labels below the list read as one line ("现在一共 100000 首歌曲  当前位置
// 100000"); the count and position were drawn for five digits, the list holds
// more. In pixels: each label starts at its laid-out place or, when a text
// before it runs longer, `gap` after that text; it is as wide as its place or
// as its text wants, whichever is more. Should the last text then end past
// `right` (the list's right edge), the last two labels (the position and its
// caption) move back left into the room after the count's text (the first
// `countLabels`), as far as it goes.
struct RowLabel {
    int left = 0, width = 0;   // the laid-out place; the outcome after flowRow()
    int textWidth = 0;         // of the text shown; 0 for none
    int wantedWidth = 0;       // what the label itself asks for (its size hint)
};
void flowRow(std::span<RowLabel> row, int countLabels, int gap, int right);

} // namespace MainLayout

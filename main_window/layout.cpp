#include "main_window/layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace MainLayout {

Geometry compute(double W, double H, double combo1Height)
{
    Geometry g;
    g.drive1 = QRectF(120, 480, 2295, 300);
    g.dir1 = QRectF(120, 720, 2295, 1140);
    g.combo1 = QRectF(120, 1920, 2295, combo1Height);
    g.file1 = QRectF(120, 2280, 2295, 1890);
    g.list1 = QRectF(2520, 480, 4695, 3300);
    g.label4Left = 2760;
    g.label5Left = 3600;
    g.label6Left = 4200;
    g.label9Left = 5520;
    g.label10Left = 6360;
    g.panel1Width = 1700.64;

    if (W > kBaseWidth) {
        const double d = (W - kBaseWidth) / 20;
        g.drive1.setWidth(2295 + d);
        g.dir1.setWidth(2295 + d);
        g.combo1.setWidth(2295 + d);
        g.file1.setWidth(2295 + d);
        g.list1.setWidth(4695 + 19 * d);
        g.list1.moveLeft(2520 + d);
        g.label4Left = g.list1.left() + 240;
        g.label5Left = g.list1.left() + 1080;
        g.label6Left = g.list1.left() + 1680;
        g.label9Left = g.list1.left() + 3000;
        g.label10Left = g.list1.left() + 3840;
        g.panel1Width = W - 3199.72 - 1699.64 - 780;
    }

    if (H > kBaseHeight) {
        g.dir1.setHeight(1140 + (H - kBaseHeight) / 5);
        g.combo1.moveTop(g.dir1.top() + g.dir1.height() + 60);
        g.file1.moveTop(g.combo1.top() + g.combo1.height() + 60);
        g.file1.setHeight(1890 + (H - kBaseHeight) / 5 * 4);
        g.list1.setHeight(H + 3300 - kBaseHeight);
    }
    g.labelTop = g.list1.top() + g.list1.height() + 60;
    return g;
}

QPointF placement(double screenWidth, double screenHeight, double windowWidth, double windowHeight)
{
    // Whole twips, halves to the even neighbour; then whole-number halving.
    const auto half = [](double twips) { return static_cast<long long>(std::nearbyint(twips)) / 2; };
    const double top = double(half(screenHeight) - half(windowHeight)) / 3;
    const double left = double(half(screenWidth) - half(windowWidth));
    return QPointF(left, top);
}

void flowRow(std::span<RowLabel> row, int countLabels, int gap, int right)
{
    constexpr int kNone = std::numeric_limits<int>::min();
    int nextFree = kNone;
    int countEnd = kNone;
    for (std::size_t i = 0; i < row.size(); ++i) {
        RowLabel &label = row[i];
        label.left = std::max(label.left, nextFree);
        label.width = std::max(label.width, label.wantedWidth);
        if (label.textWidth > 0)
            nextFree = label.left + label.textWidth + gap;
        if (int(i) + 1 == countLabels)
            countEnd = nextFree;
    }
    if (row.size() < 2)
        return;
    RowLabel &caption = row[row.size() - 2];
    RowLabel &position = row[row.size() - 1];
    const int overflow = position.left + position.textWidth - right;
    // No count text yet (before the first refresh): no room to speak of.
    const int room = countEnd == kNone ? 0 : caption.left - countEnd;
    const int back = std::min(overflow, room);
    if (back > 0) {
        caption.left -= back;
        position.left -= back;
    }
}

} // namespace MainLayout

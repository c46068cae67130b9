// Layout arithmetic of the main window, without a screen.
#include "main_window/layout.h"

#include <QtTest>

#include <array>

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void widths_data();
    void widths();
    void heights_data();
    void heights();
    void widthAndHeightAreIndependent();
    void shrinkingBackRestoresBase();
    void placement_data();
    void placement();
    void labelRow_data();
    void labelRow();
};

// Width rules: browser column and list share extra width 1:19; labels follow the list.
void LayoutTest::widths_data()
{
    QTest::addColumn<double>("W");
    QTest::addColumn<double>("browserWidth");
    QTest::addColumn<double>("listLeft");
    QTest::addColumn<double>("listWidth");
    QTest::addColumn<double>("label4Left");
    QTest::addColumn<double>("label10Left");
    QTest::addColumn<double>("panel1");
    QTest::newRow("base") << 7410.0 << 2295.0 << 2520.0 << 4695.0 << 2760.0 << 6360.0 << 1700.64;
    QTest::newRow("smaller") << 5000.0 << 2295.0 << 2520.0 << 4695.0 << 2760.0 << 6360.0 << 1700.64;
    QTest::newRow("200 wider") << 7610.0 << 2305.0 << 2530.0 << 4885.0 << 2770.0 << 6370.0 << 1930.64;
    QTest::newRow("10 wider") << 7420.0 << 2295.5 << 2520.5 << 4704.5 << 2760.5 << 6360.5 << 1740.64;
    QTest::newRow("1 wider") << 7411.0 << 2295.05 << 2520.05 << 4695.95 << 2760.05 << 6360.05 << 1731.64;
    QTest::newRow("double") << 14820.0 << 2665.5 << 2890.5 << 11734.5 << 3130.5 << 6730.5 << 9140.64;
}

void LayoutTest::widths()
{
    QFETCH(double, W);
    const MainLayout::Geometry g = MainLayout::compute(W, 5100);
    QFETCH(double, browserWidth);
    for (const QRectF &r : {g.drive1, g.dir1, g.combo1, g.file1}) {
        QCOMPARE(r.left(), 120.0);
        QVERIFY(qFuzzyCompare(r.width(), browserWidth));
    }
    QFETCH(double, listLeft);
    QFETCH(double, listWidth);
    QFETCH(double, label4Left);
    QFETCH(double, label10Left);
    QFETCH(double, panel1);
    QVERIFY(qFuzzyCompare(g.list1.left(), listLeft));
    QVERIFY(qFuzzyCompare(g.list1.width(), listWidth));
    QVERIFY(qFuzzyCompare(g.label4Left, label4Left));
    QVERIFY(qFuzzyCompare(g.label5Left, g.list1.left() + 1080));
    QVERIFY(qFuzzyCompare(g.label6Left, g.list1.left() + 1680));
    QVERIFY(qFuzzyCompare(g.label9Left, g.list1.left() + 3000));
    QVERIFY(qFuzzyCompare(g.label10Left, label10Left));
    QVERIFY(qFuzzyCompare(g.panel1Width, panel1));
    // Heights are the base ones at H = 5100.
    QCOMPARE(g.list1.height(), 3300.0);
    QCOMPARE(g.labelTop, 3840.0);
}

// Height rules: folder tree 1/5, file list 4/5 on the left, the list takes all on the right.
void LayoutTest::heights_data()
{
    QTest::addColumn<double>("H");
    QTest::addColumn<double>("comboHeight");
    QTest::addColumn<double>("dirHeight");
    QTest::addColumn<double>("comboTop");
    QTest::addColumn<double>("fileTop");
    QTest::addColumn<double>("fileHeight");
    QTest::addColumn<double>("listHeight");
    QTest::addColumn<double>("labelTop");
    QTest::newRow("base") << 5100.0 << 300.0 << 1140.0 << 1920.0 << 2280.0 << 1890.0 << 3300.0 << 3840.0;
    QTest::newRow("smaller") << 3000.0 << 300.0 << 1140.0 << 1920.0 << 2280.0 << 1890.0 << 3300.0 << 3840.0;
    QTest::newRow("5600") << 5600.0 << 300.0 << 1240.0 << 2020.0 << 2380.0 << 2290.0 << 3800.0 << 4340.0;
    QTest::newRow("5101") << 5101.0 << 300.0 << 1140.2 << 1920.2 << 2280.2 << 1890.8 << 3301.0 << 3841.0;
    QTest::newRow("taller filter box") << 5600.0 << 330.0 << 1240.0 << 2020.0 << 2410.0 << 2290.0 << 3800.0 << 4340.0;
}

void LayoutTest::heights()
{
    QFETCH(double, H);
    QFETCH(double, comboHeight);
    const MainLayout::Geometry g = MainLayout::compute(7410, H, comboHeight);
    QCOMPARE(g.drive1.top(), 480.0);
    QCOMPARE(g.drive1.height(), 300.0);
    QCOMPARE(g.dir1.top(), 720.0);
    QCOMPARE(g.list1.top(), 480.0);
    QFETCH(double, dirHeight);
    QVERIFY(qFuzzyCompare(g.dir1.height(), dirHeight));
    QFETCH(double, comboTop);
    QFETCH(double, fileTop);
    QFETCH(double, fileHeight);
    QFETCH(double, listHeight);
    QFETCH(double, labelTop);
    QVERIFY(qFuzzyCompare(g.combo1.top(), comboTop));
    QCOMPARE(g.combo1.height(), comboHeight);
    if (H > 5100)
        QVERIFY(qFuzzyCompare(g.file1.top(), fileTop));
    else
        QCOMPARE(g.file1.top(), 2280.0);   // base column: the design top, whatever the box's height
    QVERIFY(qFuzzyCompare(g.file1.height(), fileHeight));
    QVERIFY(qFuzzyCompare(g.list1.height(), listHeight));
    QVERIFY(qFuzzyCompare(g.labelTop, labelTop));
}

void LayoutTest::widthAndHeightAreIndependent()
{
    const MainLayout::Geometry wide = MainLayout::compute(7610, 5100);
    QCOMPARE(wide.dir1.height(), 1140.0);
    QCOMPARE(wide.list1.height(), 3300.0);
    const MainLayout::Geometry tall = MainLayout::compute(7410, 5600);
    QCOMPARE(tall.list1.width(), 4695.0);
    QCOMPARE(tall.panel1Width, 1700.64);
}

void LayoutTest::shrinkingBackRestoresBase()
{
    const MainLayout::Geometry base = MainLayout::compute(7410, 5100);
    MainLayout::compute(12345.6, 9876.5);
    const MainLayout::Geometry again = MainLayout::compute(7410, 5100);
    QCOMPARE(again.list1, base.list1);
    QCOMPARE(again.file1, base.file1);
    QCOMPARE(again.dir1, QRectF(120, 720, 2295, 1140));
    QCOMPARE(again.file1, QRectF(120, 2280, 2295, 1890));
    QCOMPARE(again.list1, QRectF(2520, 480, 4695, 3300));
}

// Start-up position: banker's rounding of twips, whole-number halves, top / 3 kept fractional.
void LayoutTest::placement_data()
{
    QTest::addColumn<double>("screenW");
    QTest::addColumn<double>("screenH");
    QTest::addColumn<double>("winW");
    QTest::addColumn<double>("winH");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::newRow("1024x768") << 15360.0 << 11520.0 << 7410.0 << 5100.0 << 3975.0 << 1070.0;
    QTest::newRow("one twip higher") << 15360.0 << 11520.0 << 7410.0 << 5101.0 << 3975.0 << 1070.0;
    QTest::newRow("half rounds to even") << 15360.0 << 11520.0 << 7410.0 << 5100.5 << 3975.0 << 1070.0;
    QTest::newRow("half rounds up to even") << 15360.0 << 11520.0 << 7410.0 << 5101.5 << 3975.0 << (5760.0 - 2551) / 3;
    QTest::newRow("fractional top") << 15360.0 << 11520.0 << 7410.0 << 5104.0 << 3975.0 << 3208.0 / 3;
    QTest::newRow("narrow screen") << 6000.0 << 4500.0 << 7410.0 << 5100.0 << -705.0 << (2250.0 - 2550) / 3;
    QTest::newRow("odd widths") << 15361.0 << 11520.0 << 7411.0 << 5100.0 << 3975.0 << 1070.0;
}

void LayoutTest::placement()
{
    QFETCH(double, screenW);
    QFETCH(double, screenH);
    QFETCH(double, winW);
    QFETCH(double, winH);
    QFETCH(double, left);
    QFETCH(double, top);
    const QPointF at = MainLayout::placement(screenW, screenH, winW, winH);
    QCOMPARE(at.x(), left);
    QVERIFY(qFuzzyCompare(at.y(), top));
}

// The labels below the list: (left, width) of each of the five, laid out
// 60 px apart at their designed places, texts 40 px wide unless a row says
// otherwise; the list ends at 400.
void LayoutTest::labelRow_data()
{
    QTest::addColumn<QList<int>>("textWidths");   // count prefix, count, suffix, caption, position
    QTest::addColumn<QList<int>>("lefts");
    QTest::addColumn<int>("countWidth");
    QTest::newRow("texts as designed stay") << QList<int>{40, 40, 40, 40, 40} << QList<int>{0, 60, 120, 180, 240} << 50;
    QTest::newRow("a longer count pushes the rest")
        << QList<int>{40, 100, 40, 40, 40} << QList<int>{0, 60, 164, 208, 252} << 100;
    QTest::newRow("no count yet: nothing moves back")
        << QList<int>{0, 0, 0, 40, 200} << QList<int>{0, 60, 120, 180, 240} << 50;
    QTest::newRow("past the list's end: back as far as the room goes")
        << QList<int>{40, 40, 40, 40, 200} << QList<int>{0, 60, 120, 164, 224} << 50;
    QTest::newRow("past the list's end: back just enough")
        << QList<int>{40, 40, 40, 40, 170} << QList<int>{0, 60, 120, 170, 230} << 50;
}

void LayoutTest::labelRow()
{
    QFETCH(QList<int>, textWidths);
    QFETCH(QList<int>, lefts);
    QFETCH(int, countWidth);
    std::array<MainLayout::RowLabel, 5> row;
    for (int i = 0; i < 5; ++i)
        row[i] = {60 * i, 50, textWidths[i], i == 1 ? countWidth : 30};
    MainLayout::flowRow(row, 3, 4, 400);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(row[i].left, lefts[i]);
    QCOMPARE(row[1].width, countWidth);
    QCOMPARE(row[0].width, 50);
}

QTEST_APPLESS_MAIN(LayoutTest)
#include "tst_layout.moc"

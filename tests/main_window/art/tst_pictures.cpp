#include "main_window/art/pictures.h"

#include <QGuiApplication>
#include <QSet>
#include <QTest>

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    // Every toolbar picture is 16×16 with a visible subject.
    void toolbarPictureIsDrawn_data()
    {
        QTest::addColumn<int>("number");
        for (int n = 1; n <= 10; ++n)
            QTest::addRow("picture %d", n) << n;
    }
    void toolbarPictureIsDrawn()
    {
        QFETCH(int, number);
        const QPixmap pixmap = toolbarPicture(number);
        QCOMPARE(pixmap.size(), QSize(16, 16));
        const QImage image = toolbarImage(number).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(16, 16));
        QSet<QRgb> colours;
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb c = image.pixel(x, y);
                colours.insert(c);
                if (qAlpha(c) >= 128)
                    ++opaque;
            }
        QVERIFY2(colours.size() >= 2, "a picture needs something drawn on its ground");
        QVERIFY2(opaque >= 20, "a picture needs a visible body");
    }

    // Pictures without a raised square leave the ground transparent, so the
    // toolbar's own colour shows through.
    void plainPicturesHaveTransparentCorners_data()
    {
        QTest::addColumn<int>("number");
        for (int n : {1, 6, 8, 9})
            QTest::addRow("picture %d", n) << n;
    }
    void plainPicturesHaveTransparentCorners()
    {
        QFETCH(int, number);
        const QImage image = toolbarImage(number).convertToFormat(QImage::Format_ARGB32);
        for (QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
            QCOMPARE(qAlpha(image.pixel(corner)), 0);
    }

    void everyToolbarPictureIsDifferent()
    {
        QSet<QByteArray> seen;
        for (int n = 1; n <= 10; ++n) {
            const QImage image = toolbarImage(n).convertToFormat(QImage::Format_ARGB32);
            const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()),
                                   image.sizeInBytes());
            QVERIFY2(!seen.contains(bytes), qPrintable(QString("picture %1 repeats another").arg(n)));
            seen.insert(bytes);
        }
    }

    void numbersOutsideTheListGiveNoPicture_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("zero") << 0;
        QTest::newRow("eleven") << 11;
        QTest::newRow("negative") << -1;
    }
    void numbersOutsideTheListGiveNoPicture()
    {
        QFETCH(int, number);
        QVERIFY(toolbarPicture(number).isNull());
        QVERIFY(toolbarImage(number).isNull());
    }

    // The icon is a red character on a transparent ground.
    void applicationIconIsRedOnTransparent()
    {
        const QImage image = applicationImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
            QCOMPARE(qAlpha(image.pixel(corner)), 0);
        int red = 0, other = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb c = image.pixel(x, y);
                if (qAlpha(c) < 128)
                    continue;
                if (qRed(c) > 150 && qGreen(c) < 60 && qBlue(c) < 60)
                    ++red;
                else
                    ++other;
            }
        QVERIFY2(red >= 80, "the character needs a visible body");
        QVERIFY2(red < 32 * 32 / 2, "the ground stays mostly transparent");
        QCOMPARE(other, 0);
        QVERIFY(applicationIcon().availableSizes().contains(QSize(32, 32)));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"

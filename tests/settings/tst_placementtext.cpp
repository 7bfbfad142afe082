// The texts of a stored placement and the rule that brings a stored frame
// back onto a screen.

#include "settings/PlacemntText.h"

#include <QtTest>

class TestPlacementText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void positionsRoundTrip()
    {
        const std::array<int, 4> numbers {-8, -31, 1288, 1024};
        QCOMPARE(ks::positionText(numbers), QStringLiteral("-8,-31,1288,1024"));
        QCOMPARE(ks::parsePositionText(ks::positionText(numbers)), numbers);
        QCOMPARE(ks::screenSizeName(QStringLiteral("NormPos"), QSize(1024, 768)), QStringLiteral("NormPos(1024x768)"));
    }

    void unreadablePartsTakeDefaults_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("numbers");
        QTest::newRow("letters") << "abc" << QList<int> {1, 2, 3, 4};
        QTest::newRow("one bad part") << "10,x,30,40" << QList<int> {10, 2, 30, 40};
        QTest::newRow("too few") << "10,20" << QList<int> {10, 20, 3, 4};
        QTest::newRow("too many") << "10,20,30,40,50" << QList<int> {10, 20, 30, 40};
        QTest::newRow("blanks and hex") << " 10 , $14 ,0x1E, 40" << QList<int> {10, 20, 30, 40};
        QTest::newRow("overflow") << "99999999999,20,30,40" << QList<int> {1, 20, 30, 40};
        QTest::newRow("empty parts") << ",,," << QList<int> {1, 2, 3, 4};
    }

    void unreadablePartsTakeDefaults()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, numbers);
        const std::array<int, 4> parsed = ks::parsePositionText(text, {1, 2, 3, 4});
        QCOMPARE(QList<int>(parsed.begin(), parsed.end()), numbers);
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("placed");
        // A 1280 by 1024 screen with a 1920 by 1080 one to its right.
        QTest::newRow("on the first screen") << QRect(100, 100, 400, 300) << QRect(100, 100, 400, 300);
        QTest::newRow("on the second screen") << QRect(2000, 500, 400, 300) << QRect(2000, 500, 400, 300);
        QTest::newRow("across both") << QRect(1100, 100, 400, 300) << QRect(1100, 100, 400, 300);
        QTest::newRow("mostly off, caption reachable") << QRect(3150, 900, 400, 300) << QRect(3150, 900, 400, 300);
        QTest::newRow("far right of everything") << QRect(5000, 100, 400, 300) << QRect(2800, 100, 400, 300);
        QTest::newRow("far up and left") << QRect(-3000, -2000, 400, 300) << QRect(0, 0, 400, 300);
        QTest::newRow("caption above the screen") << QRect(100, -50, 400, 300) << QRect(100, 0, 400, 300);
        QTest::newRow("below the shorter screen") << QRect(2000, 1500, 400, 300) << QRect(2000, 780, 400, 300);
        QTest::newRow("larger than any screen") << QRect(-100, -100, 5000, 4000) << QRect(1280, 0, 1920, 1080);
    }

    void keepOnScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, placed);
        const QList<QRect> screens {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        QCOMPARE(ks::keepOnScreen(frame, screens), placed);
    }
};

QTEST_GUILESS_MAIN(TestPlacementText)
#include "tst_placementtext.moc"

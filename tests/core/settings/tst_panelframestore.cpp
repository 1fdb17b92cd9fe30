// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/panelframestore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quelto;

namespace {
const QString kBase = QStringLiteral("panel.frame");
}

class TestPanelFrameStore : public QObject {
    Q_OBJECT

private slots:
    void framesSurviveAFreshStorePerScreen()
    {
        const QString key = PanelFrameStore::screenKey("eDP", 1440.9, 900.2);
        QCOMPARE(key, "eDP@1440x900");
        {
            QSettings store(path(), QSettings::IniFormat);
            PanelFrameStore::save({100.5, 25, 640, 480}, kBase, key, store);
            PanelFrameStore::save({1, 2, 3, 4}, kBase, PanelFrameStore::screenKey("DP-2", 800, 600),
                                  store);
        }
        QSettings again(path(), QSettings::IniFormat);
        QCOMPARE(PanelFrameStore::load(kBase, key, again),
                 std::optional(QRectF(100.5, 25, 640, 480)));
        // Another resolution of the same screen has its own entry.
        QCOMPARE(PanelFrameStore::load(kBase, "eDP@1280x800", again), std::nullopt);
    }

    void malformedEntriesLoadAsNothing_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("three numbers") << QVariant(QVariantList{1, 2, 3});
        QTest::newRow("five numbers") << QVariant(QVariantList{1, 2, 3, 4, 5});
        QTest::newRow("text element") << QVariant(QVariantList{1, 2, "wide", 4});
        QTest::newRow("not a number") << QVariant(QVariantList{1, 2, qQNaN(), 4});
        QTest::newRow("infinite") << QVariant(QVariantList{1, qInf(), 3, 4});
        QTest::newRow("not a list") << QVariant(QStringLiteral("1,2,3,4"));
        QTest::newRow("number") << QVariant(7);
    }

    void malformedEntriesLoadAsNothing()
    {
        QFETCH(QVariant, stored);
        {
            QSettings store(path(), QSettings::IniFormat);
            store.setValue(kBase + ".s@1x1", stored);
        }
        QSettings store(path(), QSettings::IniFormat);
        QCOMPARE(PanelFrameStore::load(kBase, "s@1x1", store), std::nullopt);
    }

    void clampFitsFrameOntoScreen_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<QRectF>("expected");
        const QRectF visible(0, 25, 1440, 875);
        // clang-format off
        QTest::newRow("shifted in from the left") << QRectF(-300, 100, 500, 400) << visible << QRectF(0, 100, 500, 400);
        QTest::newRow("larger than the screen") << QRectF(-50, -50, 3000, 2000) << visible << visible;
        QTest::newRow("enlarged to the minimum") << QRectF(10, 30, 200, 150) << visible << QRectF(10, 30, 320, 220);
        QTest::newRow("shifted up from below") << QRectF(1300, 850, 400, 300) << visible << QRectF(1040, 600, 400, 300);
        QTest::newRow("minimum larger than screen") << QRectF(0, 0, 10, 10) << QRectF(5, 5, 300, 200) << QRectF(5, 5, 300, 200);
        QTest::newRow("second screen to the right") << QRectF(100, 100, 500, 400) << QRectF(1440, 0, 1024, 768) << QRectF(1440, 100, 500, 400);
        // clang-format on
    }

    void clampFitsFrameOntoScreen()
    {
        QFETCH(QRectF, frame);
        QFETCH(QRectF, visible);
        QFETCH(QRectF, expected);
        QCOMPARE(PanelFrameStore::clamp(frame, visible, {320, 220}), expected);
    }

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("frames.ini"); }
};

QTEST_GUILESS_MAIN(TestPanelFrameStore)
#include "tst_panelframestore.moc"

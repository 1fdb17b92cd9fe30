// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/hotkeycombo.h"
#include "core/settings/keytable.h"

#include <QTest>

using namespace quelto;

class TestHotKeyCombo : public QObject {
    Q_OBJECT

private slots:
    void modifiersMapBothWays()
    {
        QCOMPARE(carbonModifiers(Qt::ControlModifier | Qt::ShiftModifier), 0x300u);
        QCOMPARE(carbonModifiers(Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier), 0x1800u);
        QCOMPARE(carbonModifiers(Qt::GroupSwitchModifier), 0u);
        QCOMPARE(qtModifiers(0x1B00),
                 Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
        QCOMPARE(qtModifiers(0x4000), Qt::NoModifier);
    }

    void keyTableIsOneToOne()
    {
        QSet<quint32> evdevSeen;
        for (quint32 code = 0; code < 128; ++code) {
            const std::optional<quint32> evdev = KeyTable::evdevCode(code);
            if (!evdev)
                continue;
            QVERIFY2(!evdevSeen.contains(*evdev), qPrintable(QString::number(code)));
            evdevSeen.insert(*evdev);
            QCOMPARE(KeyTable::virtualKeyCode(*evdev), std::optional(code));
        }
        QCOMPARE(KeyTable::evdevCode(38), std::optional(36u)); // J
        QCOMPARE(KeyTable::evdevCode(9), std::optional(47u));  // V
        QCOMPARE(KeyTable::evdevCode(55), std::nullopt);       // a modifier key
    }
};

QTEST_GUILESS_MAIN(TestHotKeyCombo)
#include "tst_hotkeycombo.moc"

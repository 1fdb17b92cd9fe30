// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/hotkey.h"
#include "platform/hotkey/keyboardlayout.h"

#include <QGuiApplication>
#include <QTest>

using namespace quelto;
using KeyboardLayout::NameForm;

// Off X11 the layout comes from the default XKB keymap, which XKB_DEFAULT_LAYOUT picks.
class TestKeyboardLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("XKB_DEFAULT_LAYOUT", "us"); }

    // Each key's name in text form, then in glyph form.
    void namesKeysFromTableThenLayout_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QString>("names");
        QTest::newRow("J") << 38u << "J J";
        QTest::newRow("Escape") << 53u << "Esc ⎋";
        QTest::newRow("Return") << 36u << "Return ↩";
        QTest::newRow("Space") << 49u << "Space Space";
        QTest::newRow("F12") << 111u << "F12 F12";
        QTest::newRow("punctuation") << 43u << ", ,";
        QTest::newRow("digit") << 22u << "6 6";
        QTest::newRow("keypad plus") << 69u << "+ +";
        QTest::newRow("modifier key") << 55u << "#55 #55";
        QTest::newRow("unknown code") << 52u << "#52 #52";
        QTest::newRow("beyond 16 bits") << 70000u << "#70000 #70000";
    }

    void namesKeysFromTableThenLayout()
    {
        QFETCH(quint32, code);
        QFETCH(QString, names);
        QCOMPARE(KeyboardLayout::keyName(code, NameForm::Text) + u' ' +
                     KeyboardLayout::keyName(code, NameForm::Glyph),
                 names);
    }

    // Letters follow the layout that can type ASCII: the current one, else the first
    // such of the keymap, else a US keyboard.
    void lettersComeFromAnAsciiLayout_data()
    {
        QTest::addColumn<QByteArray>("layouts");
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QString>("name");
        // clang-format off
        QTest::newRow("french") << QByteArray("fr") << 12u << "A"; // Q on a US keyboard QTest::newRow("german") << QByteArray("de") << 16u << "Z"; // Y on a US keyboard QTest::newRow("russian J") << QByteArray("ru") << 38u << "J";
        QTest::newRow("russian Q") << QByteArray("ru") << 12u << "Q";
        QTest::newRow("greek") << QByteArray("gr") << 38u << "J";
        QTest::newRow("russian then french") << QByteArray("ru,fr") << 12u << "A";
        QTest::newRow("fixed names stay") << QByteArray("ru") << 53u << "Esc";
        // clang-format on
    }

    void lettersComeFromAnAsciiLayout()
    {
        QFETCH(QByteArray, layouts);
        QFETCH(quint32, code);
        QFETCH(QString, name);
        qputenv("XKB_DEFAULT_LAYOUT", layouts);
        QCOMPARE(KeyboardLayout::keyName(code), name);
    }

    // Each combination in text form, then in glyph form (as one string and as key caps).
    void displaysCombosInBothForms_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("shown");
        QTest::newRow("default") << 38u << 0x300u << "Ctrl+Shift+J ⇧⌘J ⇧⌘J";
        QTest::newRow("no modifiers") << 122u << 0u << "F1 F1 F1";
        QTest::newRow("all four") << 40u << 0x1B00u << "Meta+Ctrl+Alt+Shift+K ⌃⌥⇧⌘K ⌃⌥⇧⌘K";
        QTest::newRow("control option space") << 49u << 0x1800u << "Meta+Alt+Space ⌃⌥Space ⌃⌥Space";
    }

    void displaysCombosInBothForms()
    {
        QFETCH(quint32, code);
        QFETCH(quint32, modifiers);
        QFETCH(QString, shown);
        const HotKeyCombo combo{code, modifiers};
        QCOMPARE(QStringList({KeyboardLayout::displayString(combo, NameForm::Text),
                              KeyboardLayout::displayString(combo, NameForm::Glyph),
                              KeyboardLayout::keyCapTexts(combo, NameForm::Glyph).join(QString())})
                     .join(u' '),
                 shown);
    }

    void registrationFailsCleanlyWithoutX11()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        bool ran = false;
        QVERIFY(!HotKey::create(HotKeyCombo::defaultCombo(), [&] { ran = true; }));
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }
};

QTEST_MAIN(TestKeyboardLayout)
#include "tst_keyboardlayout.moc"

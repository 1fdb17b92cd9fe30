// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotkey/hotkey.h"
#include "platform/hotkey/keyboardlayout.h"
#include "support/texttable.h"

#include <QGuiApplication>
#include <QTest>

using namespace quelto;
using KeyboardLayout::NameForm;
using quelto::testing::cell;
using quelto::testing::textColumns;
using quelto::testing::textRow;

// Off X11 the layout comes from the default XKB keymap, which XKB_DEFAULT_LAYOUT picks.
class TestKeyboardLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("XKB_DEFAULT_LAYOUT", "us"); }

    // Key code and modifiers; the combination in text form, then in glyph form as one
    // string and as key caps.
    void namesCombosInBothForms_data()
    {
        textColumns({"code", "modifiers", "shown"});
        textRow("J", "38", "0", "J J J");
        textRow("Escape", "53", "0", "Esc ⎋ ⎋");
        textRow("Return", "36", "0", "Return ↩ ↩");
        textRow("Space", "49", "0", "Space Space Space");
        textRow("F12", "111", "0", "F12 F12 F12");
        textRow("punctuation", "43", "0", ", , ,");
        textRow("digit", "22", "0", "6 6 6");
        textRow("keypad plus", "69", "0", "+ + +");
        textRow("modifier key", "55", "0", "#55 #55 #55");
        textRow("unknown code", "52", "0", "#52 #52 #52");
        textRow("beyond 16 bits", "70000", "0", "#70000 #70000 #70000");
        textRow("default", "38", "0x300", "Ctrl+Shift+J ⇧⌘J ⇧⌘J");
        textRow("all four", "40", "0x1B00", "Meta+Ctrl+Alt+Shift+K ⌃⌥⇧⌘K ⌃⌥⇧⌘K");
        textRow("control option space", "49", "0x1800", "Meta+Alt+Space ⌃⌥Space ⌃⌥Space");
    }

    void namesCombosInBothForms()
    {
        const HotKeyCombo combo{cell("code").toUInt(), cell("modifiers").toUInt(nullptr, 16)};
        QCOMPARE(QStringList({KeyboardLayout::displayString(combo, NameForm::Text),
                              KeyboardLayout::displayString(combo, NameForm::Glyph),
                              KeyboardLayout::keyCapTexts(combo, NameForm::Glyph).join(QString())})
                     .join(u' '),
                 cell("shown"));
    }

    // Letters follow the layout that can type ASCII: the current one, else the first
    // such of the keymap, else a US keyboard.
    void lettersComeFromAnAsciiLayout_data()
    {
        textColumns({"layouts", "code", "name"});
        textRow("french", "fr", "12", "A"); // Q on a US keyboard
        textRow("german", "de", "16", "Z"); // Y on a US keyboard
        textRow("russian J", "ru", "38", "J");
        textRow("russian Q", "ru", "12", "Q");
        textRow("greek", "gr", "38", "J");
        textRow("russian then french", "ru,fr", "12", "A");
        textRow("fixed names stay", "ru", "53", "Esc");
    }

    void lettersComeFromAnAsciiLayout()
    {
        qputenv("XKB_DEFAULT_LAYOUT", cell("layouts").toLatin1());
        QCOMPARE(KeyboardLayout::keyName(cell("code").toUInt()), cell("name"));
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

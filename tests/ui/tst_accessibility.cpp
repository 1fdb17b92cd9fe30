// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive tools are told about the panel, the guide and Settings: roles,
// names, descriptions, states and actions, as Qt's bridge to the desktop reads them.
#include "support/panelfixture.h"
#include "ui/editor/longlines.h"
#include "ui/onboarding/onboardingsteps.h"
#include "ui/onboarding/onboardingwindowcontroller.h"
#include "ui/settings/aboutpage.h"
#include "ui/settings/generalpage.h"
#include "ui/settings/hotkeyrecorder.h"
#include "ui/settings/recorderface.h"
#include "ui/settings/settingswindowcontroller.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

using namespace quelto;
using quelto::testing::plainNote;

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void panelGuideAndSettingsDescribeThemselves()
    {
        quelto::testing::PanelFixture f(
            {plainNote("scratch", true), plainNote("# Groceries\nmilk")}, 1);
        f.panel.showPanel();
        f.panel.toast().show(QStringLiteral("Copied 5"));
        const PanelView& panel = f.panel.view();
        ShortcutDisplay shortcut;
        shortcut.setText(QStringLiteral("Ctrl+Alt+Space"));
        OnboardingWindowController guide(kOnboardingTitle, kOnboardingSize);
        guide.present(onboardingSteps(shortcut, {}), 0, kOnboardingFinishTitle);
        const AboutInfo about{"0.1.0", "7", {}, {}, {}};
        SettingsWindowController settings(SettingsContext{f.prefs, f.commands, about, {}});
        settings.show();
        const GeneralPage* general = settings.window()->generalPage();
        QWidget* toast = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            toast = window->objectName() == "toast" ? window : toast;

        struct Row {
            const char* what;
            QWidget* widget;
            QAccessible::Role role;
            QString name;
            QString description; // "-": not looked at
            bool selected = false;
            QString action = {};
        };
        const QString any = QStringLiteral("-");
        const Row rows[] = {
            {"panel", f.window(), QAccessible::Window, {}, any},
            {"tab strip", panel.tabStrip(), QAccessible::PageTabList, "Tabs", any},
            {"shown tab", panel.tabStrip()->tabFor(f.notes[1].id), QAccessible::PageTab,
             "Groceries", any, true, QAccessibleActionInterface::pressAction()},
            {"other tab", panel.tabStrip()->tabFor(f.notes[0].id), QAccessible::PageTab, "Scratch",
             any, false, QAccessibleActionInterface::pressAction()},
            {"more", panel.moreButton(), QAccessible::Button, "More", any, false,
             QAccessibleActionInterface::pressAction()},
            {"editor", f.editor(), QAccessible::EditableText, "Groceries", any},
            {"find field", panel.findBar()->field(), QAccessible::EditableText, "Find", any},
            {"clear find", panel.findBar()->field()->findChild<QToolButton*>(), QAccessible::Button,
             "Clear", any},
            {"toast", toast, QAccessible::Notification, "Copied 5", any},
            {"guide", guide.window(), QAccessible::Dialog, kOnboardingTitle, any},
            {"guide sentence",
             guide.view()->currentPage()->findChild<ShortcutBadge*>()->parentWidget(),
             QAccessible::StaticText, "Press Ctrl+Alt+Space to show or hide it, from any app.",
             any},
            {"version", settings.window()->aboutPage()->version(), QAccessible::StaticText,
             "0.1.0 (7)", any},
            {"switch", general->hideOnClickAway(), QAccessible::CheckBox, "Hide when I click away",
             "Off: the note stays on top while you work in other apps. Esc or the shortcut hides "
             "it."},
            {"recorder", general->recorder()->face(), QAccessible::Button, any,
             "Press to record a new shortcut"},
        };
        for (const Row& row : rows) {
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(row.widget);
            QVERIFY2(node, row.what);
            QCOMPARE(QStringList({row.what, QString::number(node->role(), 16)}),
                     QStringList({row.what, QString::number(row.role, 16)}));
            if (row.name != any)
                QCOMPARE(QStringList({row.what, node->text(QAccessible::Name)}),
                         QStringList({row.what, row.name}));
            if (row.description != any)
                QCOMPARE(QStringList({row.what, node->text(QAccessible::Description)}),
                         QStringList({row.what, row.description}));
            QCOMPARE(QStringList({row.what, QString::number(node->state().selected)}),
                     QStringList({row.what, QString::number(row.selected)}));
            if (!row.action.isEmpty())
                QVERIFY2(node->actionInterface()->actionNames().contains(row.action), row.what);
        }
        // The resize grips and the picture's loose words are left out.
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(f.window());
        for (int i = 0; i < window->childCount(); ++i)
            QVERIFY(window->child(i)->object()->objectName() != "resizeGrip");
        auto* picture = QAccessible::queryAccessibleInterface(
            guide.view()->currentPage()->findChildren<QWidget*>().first());
        QCOMPARE(picture->role(), QAccessible::Graphic);
        QCOMPARE(picture->childCount(), 0);

        // Characters are where they are drawn, also in a note scrolled down.
        f.editor()->setPlainText(QStringLiteral("line\n").repeated(60) + "end");
        f.editor()->moveCursor(QTextCursor::End);
        QTextCursor last = f.editor()->textCursor();
        last.movePosition(QTextCursor::Left);
        const QRect drawn = f.editor()->cursorRect(last);
        const QRect told = QAccessible::queryAccessibleInterface(f.editor())
                               ->textInterface()
                               ->characterRect(last.position());
        QCOMPARE(told.topLeft(), f.editor()->viewport()->mapToGlobal(drawn.topLeft()));

        // A line held in pieces reads and edits as one line.
        const QString line = QStringLiteral("word ").repeated(kLongLine);
        f.editor()->loadText(line);
        QAccessibleInterface* editor = QAccessible::queryAccessibleInterface(f.editor());
        QCOMPARE(editor->textInterface()->characterCount(), line.size());
        editor->editableTextInterface()->insertText(kLongLine + 1, QStringLiteral("\n"));
        QCOMPARE(f.editor()->noteText(), QString(line).insert(kLongLine + 1, u'\n'));

        // The Press actions choose a tab and open More's menu.
        QAccessible::queryAccessibleInterface(rows[3].widget)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.store.activeID(), f.notes[0].id);
        QVERIFY(QAccessible::queryAccessibleInterface(rows[3].widget)->state().selected);
        QAccessible::queryAccessibleInterface(panel.moreButton())
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        QApplication::activePopupWidget()->close();
    }
};

QTEST_MAIN(TestAccessibility)

#include "tst_accessibility.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/panelfixture.h"
#include "ui/editor/editorbridge.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>

using namespace quelto;
using quelto::testing::plainNote;

class TestEditorBridge : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_f.emplace(QList<Note>{plainNote("scratch text", true), plainNote("second note"),
                                plainNote("a\r\nb")});
        m_bridge = std::make_unique<EditorBridge>(m_f->store, m_f->prefs);
        view().resize(500, 300);
        view().show();
        QVERIFY(QTest::qWaitForWindowExposed(&view()));
        view().setFocus();
    }

    void cleanup()
    {
        delete m_bridge->textView();
        m_bridge.reset();
        m_f.reset();
    }

    void tabSwitchPutsCaretAtEndAndForgetsUndo()
    {
        QCOMPARE(view().noteText(), QStringLiteral("scratch text"));
        QCOMPARE(view().textCursor().position(), 12);
        QVERIFY(!view().document()->isUndoAvailable());
        type("!");
        m_f->store.activateIndex(1);
        QCOMPARE(m_bridge->loadedID(), std::optional(m_f->notes[1].id));
        QCOMPARE(view().noteText(), QStringLiteral("second note"));
        QCOMPARE(view().textCursor().position(), 11);
        view().document()->undo();
        QCOMPARE(view().noteText(), QStringLiteral("second note"));
        QCOMPARE(m_f->store.notes()[0].text, QStringLiteral("scratch text!"));
    }

    void typingWritesThroughWithoutReloading()
    {
        QTextCursor c = view().textCursor();
        c.setPosition(7);
        view().setTextCursor(c);
        QSignalSpy edits(&m_f->store, &NoteStore::noteTextChanged);
        type("-");
        QCOMPARE(edits.count(), 1);
        QCOMPARE(m_f->store.notes()[0].text, QStringLiteral("scratch- text"));
        QCOMPARE(view().textCursor().position(), 8);
        QVERIFY(view().document()->isUndoAvailable()); // not reloaded
    }

    void storeChangeOfShownNoteKeepsCaret()
    {
        QTextCursor c = view().textCursor();
        c.setPosition(4);
        view().setTextCursor(c);
        m_f->store.updateText(QStringLiteral("scratch is now longer"), m_f->notes[0].id);
        QCOMPARE(view().noteText(), QStringLiteral("scratch is now longer"));
        QCOMPARE(view().textCursor().position(), 4);
        m_f->store.updateText(QStringLiteral("ab"), m_f->notes[0].id);
        QCOMPARE(view().textCursor().position(), 2);
        m_f->store.updateText(QString(), m_f->notes[0].id); // Clear Scratch
        QCOMPARE(view().noteText(), QString());
        // Text arriving in an empty note (the welcome note) leaves the caret after it.
        m_f->store.updateText(QStringLiteral("welcome"), m_f->notes[0].id);
        QCOMPARE(view().textCursor().position(), 7);
    }

    void compositionHoldsOffStoreChanges()
    {
        QInputMethodEvent compose(QStringLiteral("ka"), {});
        QApplication::sendEvent(&view(), &compose);
        m_f->store.updateText(QStringLiteral("changed elsewhere"), m_f->notes[0].id);
        QCOMPARE(view().noteText(), QStringLiteral("scratch text"));
        QInputMethodEvent cancel;
        QApplication::sendEvent(&view(), &cancel);
        m_bridge->update();
        QCOMPARE(view().noteText(), QStringLiteral("changed elsewhere"));
    }

    void preferencesApplyLiveWithoutReload()
    {
        type(" more");
        m_f->prefs.setFontSize(18);
        m_f->prefs.setUseMonospace(true);
        QCOMPARE(view().highlighter().theme(), (EditorTheme{18, true}));
        QCOMPARE(view().document()->defaultFont().pointSizeF(), 18.0);
        QVERIFY(view().document()->isUndoAvailable());
        m_f->prefs.setMathEnabled(false);
        QVERIFY(!view().highlighter().mathEnabled());
    }

    void linksOpenOnlyWithAllowedSchemes()
    {
        QList<QUrl> asked;
        QSignalSpy failed(m_bridge.get(), &EditorBridge::linkOpenFailed);
        m_bridge->setUrlOpener([&](const QUrl& url) {
            asked << url;
            return false; // the desktop could not open it
        });
        emit view().linkActivated(QUrl("ftp://example.com/f"));
        QVERIFY(asked.isEmpty());
        emit view().linkActivated(QUrl("https://example.com/"));
        QCOMPARE(asked, QList<QUrl>{QUrl("https://example.com/")});
        QCOMPARE(failed, QList<QVariantList>{{QUrl("https://example.com/")}});
    }

    void crlfNotesKeepTheirLineEnds()
    {
        m_f->store.activateIndex(2);
        QCOMPARE(view().noteText(), QStringLiteral("a\nb"));
        type("c");
        QTest::keyClick(&view(), Qt::Key_Return);
        type("d");
        QCOMPARE(m_f->store.notes()[2].text, QStringLiteral("a\r\nbc\r\nd"));
    }

private:
    void type(const QString& text) { QTest::keyClicks(m_bridge->textView(), text); }
    EditorTextView& view() { return *m_bridge->textView(); }

    std::optional<quelto::testing::StoreFixture> m_f;
    std::unique_ptr<EditorBridge> m_bridge;
};

QTEST_MAIN(TestEditorBridge)
#include "tst_editorbridge.moc"

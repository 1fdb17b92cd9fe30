// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/memorynoterepository.h"
#include "support/notes.h"
#include "ui/editor/editorbridge.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

using namespace quelto;
using namespace std::chrono_literals;
using quelto::testing::plainNote;

class TestEditorBridge : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_repo = std::make_shared<MemoryNoteRepository>();
        m_notes = {plainNote("scratch text", true), plainNote("second note"), plainNote("a\r\nb")};
        m_repo->index = NoteIndex{m_notes, m_notes[0].id};
        m_store = std::make_unique<NoteStore>(m_repo, 10s);
        m_prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(m_dir->filePath("p.ini"), QSettings::IniFormat));
        m_failedLinks.clear();
        m_bridge = std::make_unique<EditorBridge>(*m_store, *m_prefs);
        connect(m_bridge.get(), &EditorBridge::linkOpenFailed, this,
                [this](const QUrl& url) { m_failedLinks << url; });
        view().resize(500, 300);
        view().show();
        QVERIFY(QTest::qWaitForWindowExposed(&view()));
        view().setFocus();
    }

    void cleanup()
    {
        delete m_bridge->textView();
        m_bridge.reset();
        m_store.reset();
        m_prefs.reset(); // settings write on their way out, before their folder goes
        m_dir.reset();
    }

    void tabSwitchPutsCaretAtEndAndForgetsUndo()
    {
        QCOMPARE(view().noteText(), QStringLiteral("scratch text"));
        QCOMPARE(view().textCursor().position(), 12);
        QVERIFY(!view().document()->isUndoAvailable());
        type("!");
        m_store->activateIndex(1);
        QCOMPARE(m_bridge->loadedID(), std::optional(m_notes[1].id));
        QCOMPARE(view().noteText(), QStringLiteral("second note"));
        QCOMPARE(view().textCursor().position(), 11);
        view().document()->undo();
        QCOMPARE(view().noteText(), QStringLiteral("second note"));
        QCOMPARE(m_store->notes()[0].text, QStringLiteral("scratch text!"));
    }

    void typingWritesThroughWithoutReloading()
    {
        QTextCursor c = view().textCursor();
        c.setPosition(7);
        view().setTextCursor(c);
        QSignalSpy edits(m_store.get(), &NoteStore::noteTextChanged);
        type("-");
        QCOMPARE(edits.count(), 1);
        QCOMPARE(m_store->notes()[0].text, QStringLiteral("scratch- text"));
        QCOMPARE(view().textCursor().position(), 8);
        QVERIFY(view().document()->isUndoAvailable()); // not reloaded
    }

    void storeChangeOfShownNoteKeepsCaret()
    {
        QTextCursor c = view().textCursor();
        c.setPosition(4);
        view().setTextCursor(c);
        m_store->updateText(QStringLiteral("scratch is now longer"), m_notes[0].id);
        QCOMPARE(view().noteText(), QStringLiteral("scratch is now longer"));
        QCOMPARE(view().textCursor().position(), 4);
        m_store->updateText(QStringLiteral("ab"), m_notes[0].id);
        QCOMPARE(view().textCursor().position(), 2);
        m_store->updateText(QString(), m_notes[0].id); // Clear Scratch
        QCOMPARE(view().noteText(), QString());
        // Text arriving in an empty note (the welcome note) leaves the caret after it.
        m_store->updateText(QStringLiteral("welcome"), m_notes[0].id);
        QCOMPARE(view().textCursor().position(), 7);
    }

    void compositionHoldsOffStoreChanges()
    {
        QInputMethodEvent compose(QStringLiteral("ka"), {});
        QApplication::sendEvent(&view(), &compose);
        m_store->updateText(QStringLiteral("changed elsewhere"), m_notes[0].id);
        QCOMPARE(view().noteText(), QStringLiteral("scratch text"));
        QInputMethodEvent cancel;
        QApplication::sendEvent(&view(), &cancel);
        m_bridge->update();
        QCOMPARE(view().noteText(), QStringLiteral("changed elsewhere"));
    }

    void preferencesApplyLiveWithoutReload()
    {
        type(" more");
        m_prefs->setFontSize(18);
        m_prefs->setUseMonospace(true);
        QCOMPARE(view().highlighter().theme(), (EditorTheme{18, true}));
        QCOMPARE(view().document()->defaultFont().pointSizeF(), 18.0);
        QVERIFY(view().document()->isUndoAvailable());
        m_prefs->setMathEnabled(false);
        QVERIFY(!view().highlighter().mathEnabled());
    }

    void linksOpenOnlyWithAllowedSchemes()
    {
        QList<QUrl> asked;
        m_bridge->setUrlOpener([&](const QUrl& url) {
            asked << url;
            return false; // the desktop could not open it
        });
        emit view().linkActivated(QUrl("ftp://example.com/f"));
        QVERIFY(asked.isEmpty());
        emit view().linkActivated(QUrl("https://example.com/"));
        QCOMPARE(asked, QList<QUrl>{QUrl("https://example.com/")});
        QCOMPARE(m_failedLinks, QList<QUrl>{QUrl("https://example.com/")});
    }

    void crlfNotesKeepTheirLineEnds()
    {
        m_store->activateIndex(2);
        QCOMPARE(view().noteText(), QStringLiteral("a\nb"));
        type("c");
        QTest::keyClick(&view(), Qt::Key_Return);
        type("d");
        QCOMPARE(m_store->notes()[2].text, QStringLiteral("a\r\nbc\r\nd"));
    }

private:
    void type(const QString& text) { QTest::keyClicks(m_bridge->textView(), text); }
    EditorTextView& view() { return *m_bridge->textView(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<MemoryNoteRepository> m_repo;
    std::unique_ptr<NoteStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<EditorBridge> m_bridge;
    QList<QUrl> m_failedLinks;
    QList<Note> m_notes;
};

QTEST_MAIN(TestEditorBridge)
#include "tst_editorbridge.moc"

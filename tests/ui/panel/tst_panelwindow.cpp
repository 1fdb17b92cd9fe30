// SPDX-License-Identifier: GPL-3.0-or-later
// The note panel as a window on a real X server, under a window manager and bare:
// where its alerts are stacked and whether they take clicks, where focus goes after.

#include "support/alerts.h"
#include "support/panelfixture.h"
#include "support/x11stacking.h"
#include "support/xvfbserver.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

using namespace quelto;
using quelto::testing::plainNote;

class TestPanelWindow : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_f.emplace(QList<Note>{plainNote("scratch", true), plainNote("# Groceries\nmilk")}, 1);
        m_f->panel.showPanel();
        QVERIFY(QTest::qWaitForWindowActive(panel()));
    }

    void cleanup() { m_f.reset(); }

    void closeAlertIsAboveThePanelAndTakesClicks()
    {
        QList<bool> seen; // the alert is above the panel; its button over the panel
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(QTest::qWaitForWindowExposed(box));
            // Over the middle of the panel, where only stacking decides who gets a click.
            box->move(panel()->geometry().center() - box->rect().center());
            QTest::qWait(300);
            const QList<quint32> order = quelto::testing::stackingOrder();
            seen << (order.indexOf(quint32(box->winId())) >
                     order.indexOf(quint32(panel()->winId())));
            QAbstractButton* button = box->defaultButton();
            const QPoint target = button->mapToGlobal(button->rect().center());
            seen << panel()->geometry().contains(target);
            QProcess::startDetached("xdotool", {"mousemove", QString::number(target.x()),
                                                QString::number(target.y()), "click", "1"});
        });
        // A click that never reached the alert must not leave the test waiting.
        QTimer::singleShot(8000, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_f->panel.closeTab(m_f->notes[1].id);
        QCOMPARE(seen, (QList<bool>{true, true}));
        QCOMPARE(m_f->store.notes().size(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), panel());
        QTRY_VERIFY(m_f->editor()->hasFocus());
    }

    // The window that was active before the panel showed gets the activation back when
    // the panel hides after a close alert (which activated Quelto itself).
    void previousWindowIsActivatedAfterCloseAlert()
    {
        quelto::testing::OtherX11Client other;
        QVERIFY(other.connected());
        m_f->panel.controller().hide();
        other.makeActive();
        m_f->panel.showPanel();
        QCOMPARE(m_f->panel.controller().previousApp(), std::optional(other.window()));
        // Not once the user has gone on to another application meanwhile.
        for (const bool leftQuelto : {false, true}) {
            if (leftQuelto) {
                other.makeActive();
                m_f->panel.showPanel();
            }
            const Note note = *m_f->store.createNote();
            m_f->store.updateText("text", note.id);
            quelto::testing::answerNextAlert(QStringLiteral("Move to Trash"));
            m_f->panel.closeTab(note.id);
            QTRY_VERIFY(!leftQuelto || (other.takeFocus(), QGuiApplication::applicationState() !=
                                                               Qt::ApplicationActive));
            other.takeActivationRequests();
            m_f->panel.controller().hide();
            QTest::qWait(300);
            QCOMPARE(other.takeActivationRequests(), leftQuelto ? 0 : 1);
        }
    }

    // The window manager's close (Alt+F4, a taskbar's) hides the panel as Esc does,
    // which saves at once.
    void windowManagerCloseHides()
    {
        m_f->store.updateText("typed", m_f->notes[1].id);
        xcb_connection_t* c =
            qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        xcb_client_message_event_t close{};
        close.response_type = XCB_CLIENT_MESSAGE;
        close.format = 32;
        close.window = xcb_window_t(panel()->winId());
        close.type = quelto::testing::internAtom(c, "WM_PROTOCOLS");
        close.data.data32[0] = quelto::testing::internAtom(c, "WM_DELETE_WINDOW");
        xcb_send_event(c, false, close.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&close));
        xcb_flush(c);
        QTRY_VERIFY(!m_f->panel.controller().isVisible());
        QVERIFY(!m_f->store.hasPendingSaves());
    }

private:
    FloatingPanel* panel() { return m_f->window(); }

    std::optional<quelto::testing::PanelFixture> m_f;
};

QUELTO_X11_TEST_MAIN(TestPanelWindow, QApplication)

#include "tst_panelwindow.moc"

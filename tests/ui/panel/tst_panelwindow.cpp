// SPDX-License-Identifier: GPL-3.0-or-later
// The note panel as a window on a real X server, under a window manager and bare:
// where its alerts are stacked and whether they take clicks, where focus goes after.

#include "support/alerts.h"
#include "support/memorynoterepository.h"
#include "support/notes.h"
#include "support/x11stacking.h"
#include "support/xvfbserver.h"
#include "ui/panel/notepanelcontroller.h"

#include <QApplication>
#include <QMargins>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using namespace quelto;
using namespace std::chrono_literals;
using quelto::testing::plainNote;

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// Runs while this process keeps handling its events, as a user's input would arrive.
void xdotool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    while (!process.waitForFinished(10))
        QApplication::processEvents();
}

// Another X client with a window of its own, which it can claim is the active one (as a
// window manager would record it) and which hears the activation requests sent to the
// root window.
class OtherClient {
public:
    OtherClient()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_c))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_root = screen->root;
        m_window = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        m_activeAtom = atom("_NET_ACTIVE_WINDOW");
        xcb_flush(m_c);
    }
    ~OtherClient() { xcb_disconnect(m_c); }

    bool connection() const { return !xcb_connection_has_error(m_c); }
    quint32 window() const { return m_window; }
    void makeActive()
    {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, m_activeAtom, XCB_ATOM_WINDOW, 32,
                            1, &m_window);
        xcb_aux_sync();
    }
    // The windows named by _NET_ACTIVE_WINDOW requests since the last call.
    QList<quint32> takeActivationRequests()
    {
        QList<quint32> windows;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_c)) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if ((event->response_type & ~0x80) == XCB_CLIENT_MESSAGE &&
                message->type == m_activeAtom && message->window == m_window)
                windows << message->window;
            std::free(event);
        }
        return windows;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }
    void xcb_aux_sync()
    {
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root = XCB_NONE;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_activeAtom = XCB_ATOM_NONE;
};

} // namespace

class TestPanelWindow : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_repo = std::make_shared<MemoryNoteRepository>();
        m_notes = {plainNote("scratch", true), plainNote("# Groceries\nmilk")};
        m_repo->index = NoteIndex{m_notes, m_notes[1].id};
        m_store = std::make_unique<NoteStore>(m_repo, 10s);
        m_prefs = std::make_unique<Preferences>(
            std::make_unique<QSettings>(m_dir->filePath("p.ini"), QSettings::IniFormat));
        m_frames = std::make_unique<QSettings>(m_dir->filePath("f.ini"), QSettings::IniFormat);
        m_panel = std::make_unique<NotePanelController>(*m_store, *m_prefs, m_state, m_commands,
                                                        *m_frames);
        m_panel->showPanel();
        QVERIFY(QTest::qWaitForWindowActive(panel()));
    }

    void cleanup()
    {
        m_panel.reset();
        m_store.reset();
        // Settings write themselves out as they end: before their folder goes.
        m_prefs.reset();
        m_frames.reset();
        m_dir.reset();
    }

    void closeAlertIsAboveThePanelAndTakesClicks()
    {
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(QTest::qWaitForWindowExposed(box));
            // Over the middle of the panel, where only stacking decides who gets a click.
            box->move(panel()->geometry().center() - box->rect().center());
            QTest::qWait(300);
            const QList<quint32> order = quelto::testing::stackingOrder();
            seen << QStringLiteral("alert above panel: ") +
                        yesNo(order.indexOf(quint32(box->winId())) >
                              order.indexOf(quint32(panel()->winId())));
            QAbstractButton* button = box->defaultButton();
            const QPoint target = button->mapToGlobal(button->rect().center());
            seen << QStringLiteral("button over panel: ") +
                        yesNo(panel()->geometry().contains(target));
            xdotool({"mousemove", QString::number(target.x()), QString::number(target.y()), "click",
                     "1"});
        });
        // A click that never reached the alert must not leave the test waiting.
        QTimer::singleShot(8000, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        m_panel->closeTab(m_notes[1].id);
        QCOMPARE(seen, (QStringList{"alert above panel: yes", "button over panel: yes"}));
        QCOMPARE(m_store->notes().size(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), panel());
        QTRY_VERIFY(m_panel->view().editor().textView()->hasFocus());
    }

    // Real pointer drags: the window manager resizes when there is one, the panel
    // follows the pointer itself on a bare server.
    void edgeDragsResize_data()
    {
        QTest::addColumn<QPoint>("from"); // relative to the panel's corners: -1, 0, 1
        QTest::addColumn<QMargins>("change");
        QTest::newRow("bottom right") << QPoint(1, 1) << QMargins(0, 0, 40, 30);
        QTest::newRow("left") << QPoint(-1, 0) << QMargins(40, 0, 0, 0);
        QTest::newRow("top") << QPoint(0, -1) << QMargins(0, 30, 0, 0);
    }

    void edgeDragsResize()
    {
        QFETCH(QPoint, from);
        QFETCH(QMargins, change);
        const QRect before = panel()->geometry();
        // The very tip of a corner is cut round: press a little further in there.
        const bool corner = from.x() != 0 && from.y() != 0;
        const int inset = (corner ? 6 : 2) + m_panel->controller().shadowMargin();
        const QPoint start(from.x() < 0   ? before.left() + inset
                           : from.x() > 0 ? before.right() - inset
                                          : before.center().x(),
                           from.y() < 0   ? before.top() + inset
                           : from.y() > 0 ? before.bottom() - inset
                                          : before.center().y());
        const QPoint end = start + QPoint(40, 30);
        xdotool({"mousemove", QString::number(start.x()), QString::number(start.y()), "sleep",
                 "0.2", "mousedown", "1", "sleep", "0.2", "mousemove", QString::number(end.x()),
                 QString::number(end.y()), "sleep", "0.2", "mouseup", "1"});
        QTRY_COMPARE(panel()->geometry(),
                     before.adjusted(change.left(), change.top(), change.right(), change.bottom()));
    }

    // The window that was active before the panel showed gets the activation back when
    // the panel hides after a close alert (which activated Quelto itself).
    void previousWindowIsActivatedAfterCloseAlert()
    {
        OtherClient other;
        QVERIFY(other.connection());
        m_panel->controller().hide();
        other.makeActive();
        m_panel->showPanel();
        QCOMPARE(m_panel->controller().previousApp(), std::optional(other.window()));
        quelto::testing::answerNextAlert(QStringLiteral("Move to Trash"));
        m_panel->closeTab(m_notes[1].id);
        other.takeActivationRequests();
        m_panel->controller().hide();
        QList<quint32> requests;
        QTRY_VERIFY(!(requests += other.takeActivationRequests()).isEmpty());
        QCOMPARE(requests, QList<quint32>{other.window()});
    }

private:
    FloatingPanel* panel() const { return m_panel->controller().panel(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<MemoryNoteRepository> m_repo;
    std::unique_ptr<NoteStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<QSettings> m_frames;
    PanelState m_state;
    CommandTable m_commands;
    std::unique_ptr<NotePanelController> m_panel;
    QList<Note> m_notes;
};

QUELTO_X11_TEST_MAIN(TestPanelWindow, QApplication)

#include "tst_panelwindow.moc"

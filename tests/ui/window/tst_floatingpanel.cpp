// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/panelframestore.h"
#include "platform/window/testwindowsystem.h"
#include "support/panelfixture.h"
#include "ui/window/floatingpanelcontroller.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quelto;

// Three screens side by side, of different sizes, on the offscreen platform; the last
// is as small as 1280 x 800 at scale 2.
class TestFloatingPanel : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QCOMPARE(QGuiApplication::screens().size(), 3);
        m_folder.emplace();
        m_controller = std::make_unique<FloatingPanelController>(
            QSize(440, 380), PanelOptions{true, QSizeF(320, 220), &m_folder->prefs}, new QWidget);
        pointAt(screen(0));
    }

    void cleanup()
    {
        m_controller.reset();
        m_folder.reset();
    }

    // The default placement at first, then the frame last shown on that screen (saved
    // only once there was one), kept on it, inside a small one too; another screen has a
    // frame of its own.
    void placementIsRememberedPerScreen()
    {
        const QRect visible = screen(0)->availableGeometry();
        const QString key = PanelFrameStore::screenKey(
            screen(0)->name(), screen(0)->geometry().width(), screen(0)->geometry().height());
        QSignalSpy hides(m_controller.get(), &FloatingPanelController::didHide);
        m_controller->hide();
        QVERIFY(hides.isEmpty() && !m_folder->prefs.panelFrame(key));
        m_controller->show();
        const QRect frame = m_controller->panel()->geometry();
        QCOMPARE(frame.size(), QSize(440, 380));
        QCOMPARE(frame.center().x(), visible.center().x());
        QVERIFY(std::abs(frame.center().y() - (visible.top() + 0.4 * visible.height())) <= 1);
        m_controller->panel()->setGeometry(100, 120, 500, 400);
        m_controller->hide();
        QVERIFY(!m_controller->isVisible());
        QCOMPARE(hides.size(), 1);
        QCOMPARE(m_folder->prefs.panelFrame(key), std::optional(QRectF(100, 120, 500, 400)));
        m_controller->show();
        QCOMPARE(m_controller->panel()->geometry(), QRect(100, 120, 500, 400));
        m_controller->hide();

        pointAt(screen(1));
        m_controller->show();
        QCOMPARE(m_controller->panel()->geometry().center().x(),
                 screen(1)->availableGeometry().center().x());
        m_controller->hide();
        pointAt(screen(2));
        m_controller->show();
        QVERIFY(screen(2)->availableGeometry().contains(m_controller->panel()->geometry()));
        m_controller->hide();

        pointAt(screen(0));
        m_folder->prefs.setPanelFrame(key, QRectF(-300, 100, 200, 150));
        m_controller->show();
        QCOMPARE(m_controller->panel()->geometry(), QRect(visible.left(), 100, 320, 220));
    }

    // The window the user was in is remembered for giving the focus back, unless it was
    // one of Quelto's own; the panel goes on every desktop each time it shows.
    void previousWindowIsTheUsersOnly()
    {
        TestWindowSystem windows;
        const WindowSystem::Override use(windows);
        windows.active = 0x600001;
        m_controller->show();
        QCOMPARE(m_controller->previousApp(), std::optional<quint32>(0x600001));
        m_controller->hide();
        QWidget ours;
        ours.show();
        windows.active = quint32(ours.winId());
        m_controller->show();
        QCOMPARE(m_controller->previousApp(), std::nullopt);
        const quint32 panel = quint32(m_controller->panel()->winId());
        QCOMPARE(windows.onAllDesktops, QList<quint32>({panel, panel}));
    }

    // A drag by (20, 20) from a fraction of the window: the grips resize (following the
    // pointer, as offscreen has no window manager), the background moves the panel.
    void edgesResizeBackgroundMoves_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<int>("moved"); // the sides that follow the pointer
        QTest::addColumn<int>("cursor");
        const auto row = [](const char* name, QPointF at, Qt::Edges moved, Qt::CursorShape cursor) {
            QTest::newRow(name) << at << int(moved) << int(cursor);
        };
        row("left", {0, 0.5}, Qt::LeftEdge, Qt::SizeHorCursor);
        row("right", {1, 0.5}, Qt::RightEdge, Qt::SizeHorCursor);
        row("top", {0.5, 0}, Qt::TopEdge, Qt::SizeVerCursor);
        row("bottom", {0.5, 1}, Qt::BottomEdge, Qt::SizeVerCursor);
        row("top left", {0, 0}, Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor);
        row("top right", {1, 0}, Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor);
        row("bottom left", {0, 1}, Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor);
        row("bottom right", {1, 1}, Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor);
        row("background", {0.5, 0.03}, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge,
            Qt::ArrowCursor);
    }

    void edgesResizeBackgroundMoves()
    {
        QFETCH(QPointF, at);
        QFETCH(int, moved);
        QFETCH(int, cursor);
        m_controller->show();
        FloatingPanel* panel = m_controller->panel();
        const QRect before = panel->geometry();
        // Five pixels in: inside the edge grips, and inside the corners' round cut.
        const QPoint point(std::clamp(int(at.x() * panel->width()), 5, panel->width() - 6),
                           std::clamp(int(at.y() * panel->height()), 5, panel->height() - 6));
        QWidget* target = panel->childAt(point);
        QVERIFY(target);
        QCOMPARE(int(target->cursor().shape()), cursor);
        const QPointF global = panel->mapToGlobal(QPointF(point));
        const QPointF local = target->mapFrom(panel, QPointF(point));
        const QPointF step(20, 20);
        auto send = [&](QEvent::Type type, QPointF offset, Qt::MouseButtons buttons) {
            QMouseEvent event(type, local + offset, global + offset, Qt::LeftButton, buttons, {});
            QApplication::sendEvent(target, &event);
        };
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
        send(QEvent::MouseMove, step, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, step, Qt::NoButton);
        const Qt::Edges edges(moved);
        QCOMPARE(panel->geometry(),
                 before.adjusted(edges & Qt::LeftEdge ? 20 : 0, edges & Qt::TopEdge ? 20 : 0,
                                 edges & Qt::RightEdge ? 20 : 0, edges & Qt::BottomEdge ? 20 : 0));
    }

private:
    QScreen* screen(int i) const { return QGuiApplication::screens().at(i); }
    void pointAt(QScreen* s) { QCursor::setPos(s->geometry().center()); }

    std::optional<quelto::testing::SettingsFolder> m_folder;
    std::unique_ptr<FloatingPanelController> m_controller;
};

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath("screens.json");
    if (!quelto::testing::writeFile(config, R"({"screens": [
        {"name": "Left", "x": 0, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "dpr": 1},
        {"name": "Right", "x": 1440, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "dpr": 1},
        {"name": "Small", "x": 2464, "y": 0, "width": 640, "height": 400, "logicalDpi": 96, "dpr": 1}
    ]})"))
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toUtf8());
    QApplication app(argc, argv);
    TestFloatingPanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_floatingpanel.moc"

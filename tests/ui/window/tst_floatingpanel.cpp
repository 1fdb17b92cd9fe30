// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/panelframestore.h"
#include "ui/window/floatingpanelcontroller.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace quelto;

// Two screens side by side, of different sizes, on the offscreen platform.
class TestFloatingPanel : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<QSettings>(m_dir->filePath("f.ini"), QSettings::IniFormat);
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        m_field = new QLineEdit;
        layout->addWidget(m_field);
        m_controller = std::make_unique<FloatingPanelController>(
            QSize(440, 380), std::nullopt, PanelOptions{true, QSizeF(320, 220), "panel.frame"},
            *m_settings, content);
        m_hides = 0;
        connect(m_controller.get(), &FloatingPanelController::didHide, this, [this] { ++m_hides; });
        pointAt(screen(0));
    }

    void cleanup()
    {
        // Settings write on their way out: they go before their folder does.
        m_controller.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void firstShowUsesDefaultPlacement()
    {
        m_controller->show();
        const QRect visible = screen(0)->availableGeometry();
        const QRect frame = m_controller->panel()->geometry();
        QCOMPARE(frame.size(), QSize(440, 380));
        QCOMPARE(frame.center().x(), visible.center().x());
        QVERIFY(std::abs(frame.center().y() - (visible.top() + 0.4 * visible.height())) <= 1);
    }

    void frameIsRememberedPerScreen()
    {
        m_controller->show();
        m_controller->panel()->setGeometry(100, 120, 500, 400);
        m_controller->hide();
        m_controller->show();
        QCOMPARE(m_controller->panel()->geometry(), QRect(100, 120, 500, 400));
        m_controller->hide();

        // Another screen has another key: the default placement applies there.
        pointAt(screen(1));
        m_controller->show();
        const QRect second = screen(1)->availableGeometry();
        QCOMPARE(m_controller->panel()->geometry().center().x(), second.center().x());
    }

    void restoredFrameIsClampedOntoScreen()
    {
        const QRect visible = screen(0)->availableGeometry();
        const QString key = PanelFrameStore::screenKey(
            screen(0)->name(), screen(0)->geometry().width(), screen(0)->geometry().height());
        PanelFrameStore::save(QRectF(-300, 100, 200, 150), "panel.frame", key, *m_settings);
        m_controller->show();
        QCOMPARE(m_controller->panel()->geometry(), QRect(visible.left(), 100, 320, 220));
    }

    void hideSavesOnlyWhenVisible()
    {
        m_controller->hide();
        QCOMPARE(m_hides, 0);
        QVERIFY(m_settings->allKeys().isEmpty());
        m_controller->toggle();
        QVERIFY(m_controller->isVisible());
        m_controller->toggle();
        QVERIFY(!m_controller->isVisible());
        QCOMPARE(m_hides, 1);
        QCOMPARE(m_settings->allKeys().size(), 1);
    }

    void losingActivationHidesOnlyWhenAsked()
    {
        m_controller->show();
        m_controller->hidesOnResignKey = false;
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(m_controller->panel(), &deactivate);
        QVERIFY(m_controller->isVisible());
        m_controller->hidesOnResignKey = true;
        QApplication::sendEvent(m_controller->panel(), &deactivate);
        QVERIFY(!m_controller->isVisible());
        QCOMPARE(m_hides, 1);
    }

    void keyHandlerSeesKeysFirst()
    {
        QList<int> seen;
        m_controller->setKeyHandler([&](QKeyEvent* event) {
            seen << event->key();
            return event->key() == Qt::Key_X;
        });
        m_controller->show();
        m_field->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(m_controller->panel()) || m_field->hasFocus());
        QTest::keyClicks(m_field, "axb");
        QCOMPARE(m_field->text(), QStringLiteral("ab"));
        // A declined key is offered twice (as a shortcut, then as a key press); a consumed
        // one once, before any window shortcut could take it.
        QCOMPARE(seen, (QList<int>{Qt::Key_A, Qt::Key_A, Qt::Key_X, Qt::Key_B, Qt::Key_B}));
    }

    // A drag by (20, 20) from a point given as a fraction of the window: the grips at
    // the edges and corners resize (here by following the pointer, as offscreen has no
    // window manager), the background moves the whole panel.
    void edgesResizeBackgroundMoves_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<int>("moved"); // the sides that follow the pointer
        QTest::addColumn<int>("cursor");
        const int all = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;
        QTest::newRow("left") << QPointF(0, 0.5) << int(Qt::LeftEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("right") << QPointF(1, 0.5) << int(Qt::RightEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("top") << QPointF(0.5, 0) << int(Qt::TopEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("bottom") << QPointF(0.5, 1) << int(Qt::BottomEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("top left") << QPointF(0, 0) << int(Qt::TopEdge | Qt::LeftEdge)
                                  << int(Qt::SizeFDiagCursor);
        QTest::newRow("top right")
            << QPointF(1, 0) << int(Qt::TopEdge | Qt::RightEdge) << int(Qt::SizeBDiagCursor);
        QTest::newRow("bottom left")
            << QPointF(0, 1) << int(Qt::BottomEdge | Qt::LeftEdge) << int(Qt::SizeBDiagCursor);
        QTest::newRow("bottom right")
            << QPointF(1, 1) << int(Qt::BottomEdge | Qt::RightEdge) << int(Qt::SizeFDiagCursor);
        QTest::newRow("background") << QPointF(0.5, 0.03) << all << int(Qt::ArrowCursor);
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

    void anchoredShowGoesBelowOrAbove()
    {
        const QRect visible = screen(0)->availableGeometry();
        m_controller->showAnchored(QRect(200, 100, 40, 20));
        QCOMPARE(m_controller->panel()->y(), 100 + 20 + FloatingPanelController::kAnchorGap);
        m_controller->hide();
        const QRect low(200, visible.bottom() - 30, 40, 20);
        m_controller->showAnchored(low);
        QCOMPARE(m_controller->panel()->geometry().bottom() + 1,
                 low.top() - FloatingPanelController::kAnchorGap);
    }

private:
    QScreen* screen(int i) const { return QGuiApplication::screens().at(i); }
    void pointAt(QScreen* s) { QCursor::setPos(s->geometry().center()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<FloatingPanelController> m_controller;
    QLineEdit* m_field = nullptr;
    int m_hides = 0;
};

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath("screens.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [
        {"name": "Left", "x": 0, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "dpr": 1},
        {"name": "Right", "x": 1440, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "dpr": 1}
    ]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toUtf8());
    QApplication app(argc, argv);
    TestFloatingPanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_floatingpanel.moc"

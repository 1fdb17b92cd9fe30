// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tab strip's sideways scroll area: the ordinary (vertical) mouse wheel scrolls it
// too, it brings a tab into view, and while the tabs do not fit, a chevron button at
// each end, in room of its own beside the tabs, scrolls one tab further that way.

#include <QPointer>
#include <QScrollArea>

class QAbstractButton;

namespace quelto {

class TabScrollArea : public QScrollArea {
    Q_OBJECT

public:
    static constexpr int kWheelStep = 40; // pixels per notch
    static constexpr int kChevronWidth = 18;

    explicit TabScrollArea(QWidget* parent = nullptr);

    // Whether tabs are out of view before the first shown one, and after the last.
    bool hidesBefore() const;
    bool hidesAfter() const;
    // Scrolls `child` of the content fully into view once the content is laid out.
    void reveal(QWidget* child);
    // Scrolls so that the next tab hidden that way shows whole.
    void stepBack();
    void stepForward();
    QAbstractButton* backButton() const { return m_back; }
    QAbstractButton* forwardButton() const { return m_forward; }

    // As wide as all the tabs: the strip gives it less when it has less.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateChevrons();
    void scrollTo(int value);
    void showRevealed();
    // The tabs' left and right edges in the content, in order.
    QList<std::pair<int, int>> tabEdges() const;

    QAbstractButton* m_back;
    QAbstractButton* m_forward;
    QPointer<QWidget> m_revealed;
};

} // namespace quelto

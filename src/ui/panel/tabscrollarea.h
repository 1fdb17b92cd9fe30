// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tab strip's sideways scroll area: the ordinary (vertical) mouse wheel scrolls it
// too, it brings a tab into view, and a fade with a chevron marks an end beyond which
// tabs are hidden.

#include <QScrollArea>

namespace quelto {

class TabScrollArea : public QScrollArea {
    Q_OBJECT

public:
    static constexpr int kWheelStep = 40; // pixels per notch
    static constexpr int kHintWidth = 26;

    explicit TabScrollArea(QWidget* parent = nullptr);

    // Whether tabs are out of view before the first shown one, and after the last.
    bool hidesBefore() const;
    bool hidesAfter() const;
    // Scrolls `child` of the content fully into view, clear of the hints, once the
    // content is laid out.
    void reveal(QWidget* child);

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateHints();

    QWidget* m_before;
    QWidget* m_after;
};

} // namespace quelto

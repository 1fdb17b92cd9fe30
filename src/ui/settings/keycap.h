// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One key of a shortcut drawn as a small rounded key cap ("Ctrl", "Shift", "J"), in
// the palette's text colour so it reads in light and dark.

#include <QWidget>

namespace quelto {

class KeyCap : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPadding = 6;
    static constexpr int kMinWidth = 24;
    static constexpr int kMinHeight = 22;
    static constexpr double kRadius = 5;

    explicit KeyCap(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace quelto

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A shortcut as a row of key caps, one per key, 4 pixels apart.

#include <QStringList>
#include <QWidget>

class QHBoxLayout;

namespace quelto {

class KeyCaps : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSpacing = 4;

    explicit KeyCaps(QWidget* parent = nullptr);

    QStringList keys() const { return m_keys; }
    void setKeys(const QStringList& keys);

private:
    QHBoxLayout* m_row;
    QStringList m_keys;
};

} // namespace quelto

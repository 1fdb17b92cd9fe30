// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/keycaps.h"

#include "ui/settings/keycap.h"

#include <QHBoxLayout>

namespace quelto {

KeyCaps::KeyCaps(QWidget* parent)
    : QWidget(parent)
    , m_row(new QHBoxLayout(this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(kSpacing);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KeyCaps::setKeys(const QStringList& keys)
{
    if (keys == m_keys)
        return;
    m_keys = keys;
    while (QLayoutItem* item = m_row->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString& key : keys)
        m_row->addWidget(new KeyCap(key, this), 0, Qt::AlignVCenter);
    setAccessibleName(keys.join(u'+'));
}

} // namespace quelto

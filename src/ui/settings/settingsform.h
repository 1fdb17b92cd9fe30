// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A settings page as a grouped form: titled sections, each a rounded group of rows;
// a row shows its title, a description below it in the secondary text colour, and
// its control at the right.

#include <QWidget>

class QCheckBox;
class QLabel;
class QVBoxLayout;

namespace quelto {

class SettingsForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMargin = 20;
    static constexpr int kSectionGap = 18;

    explicit SettingsForm(QWidget* parent = nullptr);

    // Rows added from now on go into a new group under `title` (none when empty).
    void addSection(const QString& title);
    // The object name of a row's description label.
    static constexpr const char* kDescription = "description";

    // A row; `control` (if any) is placed at its right and named after the row. An
    // empty title leaves only the description; a control alone sits at the left.
    QWidget* addRow(const QString& title, const QString& description = {},
                    QWidget* control = nullptr);
    QCheckBox* addToggle(const QString& title, const QString& description);

private:
    QWidget* addToGroup(QWidget* row);

    QVBoxLayout* m_sections;
    QWidget* m_group = nullptr;
};

} // namespace quelto

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Editor page: font size, the monospaced font and arithmetic, each applied to open
// editors at once, and where the notes live with a button that shows them.

#include "core/settings/preferences.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace quelto {

class EditorPage : public QWidget {
    Q_OBJECT

public:
    EditorPage(Preferences& prefs, QString notesFolder, QWidget* parent = nullptr);

    QSpinBox* fontSize() const { return m_fontSize; }
    QCheckBox* monospace() const { return m_monospace; }
    QCheckBox* math() const { return m_math; }
    QLabel* folderText() const { return m_folderText; }
    QPushButton* showInFiles() const { return m_showInFiles; }

    // "~/.local/share/Quelto/Notes" for a folder in the home folder, else the path.
    static QString displayPath(const QString& folder);

private:
    void showFolder();

    QString m_notesFolder;
    QSpinBox* m_fontSize;
    QCheckBox* m_monospace;
    QCheckBox* m_math;
    QLabel* m_folderText;
    QPushButton* m_showInFiles;
};

} // namespace quelto

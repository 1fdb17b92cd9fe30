// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/editorpage.h"

#include "platform/desktop/filemanager.h"
#include "ui/settings/settingsform.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quelto {

EditorPage::EditorPage(Preferences& prefs, QString notesFolder, QWidget* parent)
    : QWidget(parent)
    , m_notesFolder(std::move(notesFolder))
{
    auto* form = new SettingsForm(this);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(form);

    form->addSection(QStringLiteral("Text"));
    m_fontSize = new QSpinBox;
    m_fontSize->setRange(Preferences::kMinFontSize, Preferences::kMaxFontSize);
    m_fontSize->setSingleStep(1);
    m_fontSize->setSuffix(QStringLiteral(" pt"));
    m_fontSize->setValue(prefs.fontSize());
    form->addRow(QStringLiteral("Font size"), {}, m_fontSize);
    connect(m_fontSize, &QSpinBox::valueChanged, &prefs, &Preferences::setFontSize);
    connect(&prefs, &Preferences::fontSizeChanged, m_fontSize,
            [this, &prefs] { m_fontSize->setValue(prefs.fontSize()); });

    m_monospace = form->addToggle(QStringLiteral("Use a monospaced font"),
                                  QStringLiteral("Your system's fixed-width font for the whole "
                                                 "note. Code spans are always monospaced."));
    m_monospace->setChecked(prefs.useMonospace());
    connect(m_monospace, &QCheckBox::toggled, &prefs, &Preferences::setUseMonospace);
    connect(&prefs, &Preferences::useMonospaceChanged, m_monospace,
            [this, &prefs] { m_monospace->setChecked(prefs.useMonospace()); });

    form->addSection(QStringLiteral("Math"));
    m_math = form->addToggle(
        QStringLiteral("Calculate lines that start with ="),
        QStringLiteral("“= 12 * 4” shows 48 at the end of the line. “= sum” adds up the lines "
                       "above. Results follow your system number format."));
    m_math->setChecked(prefs.mathEnabled());
    connect(m_math, &QCheckBox::toggled, &prefs, &Preferences::setMathEnabled);
    connect(&prefs, &Preferences::mathEnabledChanged, m_math,
            [this, &prefs] { m_math->setChecked(prefs.mathEnabled()); });

    form->addSection(QStringLiteral("Notes folder"));
    m_showInFiles = new QPushButton(QStringLiteral("Show in Files"));
    QWidget* folderRow = form->addRow(
        {},
        QStringLiteral("Each tab is a plain Markdown file in %1. Nothing leaves your computer.")
            .arg(displayPath(m_notesFolder)),
        m_showInFiles);
    m_folderText = folderRow->findChild<QLabel*>(SettingsForm::kDescription);
    m_folderText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_showInFiles, &QPushButton::clicked, this, &EditorPage::showFolder);
}

QString EditorPage::displayPath(const QString& folder)
{
    const QString home = QDir::homePath();
    const QString clean = QDir::cleanPath(folder);
    if (clean.startsWith(home + u'/'))
        return u'~' + clean.mid(home.size());
    return clean;
}

void EditorPage::showFolder()
{
    // A fresh installation has no folder until the first note is saved; a failure here
    // shows itself when the file manager cannot find it.
    QDir().mkpath(m_notesFolder);
    FileManager::showItem(m_notesFolder, [page = QPointer<EditorPage>(this)] {
        if (page)
            QMessageBox::warning(page, QStringLiteral("Quelto"),
                                 QStringLiteral("Couldn't show the notes folder: no file manager "
                                                "answered. It is %1")
                                     .arg(QDir::toNativeSeparators(page->m_notesFolder)));
    });
}

} // namespace quelto

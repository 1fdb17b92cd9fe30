// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results of a note's "=" lines, kept with the paragraphs they belong to: an edit
// re-evaluates the lines it touched and adds up again only the totals that can depend
// on them, so the work follows the edit, not the note.

#include "core/text/mathevaluator.h"

#include <QMap>
#include <QObject>
#include <QTextBlock>

#include <optional>

namespace quelto {

class NoteResults : public QObject {
    Q_OBJECT

public:
    explicit NoteResults(QTextDocument* document, QObject* parent = nullptr);

    bool isEnabled() const { return m_isEnabled; }
    void setEnabled(bool enabled);
    void setLocale(const icu::Locale& locale);

    // Re-evaluates the lines of blocks first to last (by number) and settles totals.
    void update(int first, int last);
    void updateAll();

    // The result drawn at the end of the paragraph, if any.
    std::optional<QString> resultFor(const QTextBlock& block) const;
    // Result text by the position at which its line starts (walks the whole note).
    QMap<int, QString> all() const;

signals:
    void changed();

private:
    void evaluate(QTextBlock block);
    void settle(const QTextBlock& first, int last);

    QTextDocument* m_document;
    bool m_isEnabled = true;
    icu::Locale m_locale;
    bool m_hasChanged = false;
};

// The user's locale for reading and formatting numbers.
icu::Locale userLocale();

} // namespace quelto

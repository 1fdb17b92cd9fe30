// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A realistic note for the benchmarks, generated the same way on every run: headings,
// lists, tasks, links, emphasis, code and about one "=" line in ten.

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace quelto::bench {

inline constexpr int kSampleLines = 10000;

inline QString realisticNote()
{
    QRandomGenerator random(42);
    const QStringList words{"meeting", "budget", "draft", "review", "notes",  "ship", "call",
                            "plan",    "fix",    "idea",  "email",  "weekly", "sync", "design"};
    auto phrase = [&](int n) {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << words[random.bounded(words.size())];
        return out.join(u' ');
    };
    QString text;
    int ordered = 0;
    for (int i = 0; i < kSampleLines; ++i) {
        const int kind = random.bounded(20);
        QString line;
        if (kind < 2)
            line = QStringLiteral("= %1 * %2 + %3%")
                       .arg(random.bounded(1000))
                       .arg(random.bounded(50))
                       .arg(random.bounded(20));
        else if (i % 50 == 49)
            line = QStringLiteral("= sum");
        else if (kind == 2)
            line = QStringLiteral("## ") + phrase(3);
        else if (kind < 5)
            line = QStringLiteral("- [%1] ").arg(random.bounded(2) ? u'x' : u' ') + phrase(4) +
                   QStringLiteral(" **") + phrase(1) + QStringLiteral("**");
        else if (kind < 8)
            line = QStringLiteral("- ") + phrase(5) + QStringLiteral(" _") + phrase(2) + u'_';
        else if (kind < 10)
            line = QStringLiteral("%1. ").arg(++ordered) + phrase(6);
        else if (kind == 10)
            line = QStringLiteral("See [") + phrase(2) + QStringLiteral("](https://example.com/") +
                   phrase(1) + QStringLiteral(") and https://docs.example.org/a_(b).");
        else if (kind == 11)
            line = QStringLiteral("Run `") + phrase(2) + QStringLiteral("` then ~~") + phrase(1) +
                   QStringLiteral("~~ mail ann@example.com");
        else if (kind == 12)
            line = QString();
        else
            line = phrase(8) + QStringLiteral(" *") + phrase(1) + QStringLiteral("* ") + phrase(3);
        text += line;
        text += u'\n';
    }
    return text;
}

inline const QString& sampleNote()
{
    static const QString text = realisticNote();
    return text;
}

// The sample note's words, emphasis, links and code run together into one line of
// `length` characters (no line break), as a pasted log or minified file arrives.
inline QString oneLongLine(qsizetype length)
{
    QString flat = sampleNote();
    flat.replace(u'\n', u' ');
    QString line = QStringLiteral("Pasted ");
    while (line.size() < length)
        line += flat;
    line.truncate(length);
    return line;
}

} // namespace quelto::bench

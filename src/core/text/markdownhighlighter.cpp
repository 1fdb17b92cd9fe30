// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/markdownhighlighter.h"

#include "core/text/icutext.h"

#include <QDebug>
#include <QHash>

#include <unicode/uchar.h>

#include <algorithm>
#include <mutex>

namespace quelto::MarkdownHighlighter {

namespace {

using icutext::RegexScan;
using icutext::trimHorizontal;
using Kind = Style::Kind;

bool overlaps(qsizetype lower, qsizetype upper,
              const QList<std::pair<qsizetype, qsizetype>>& claimed)
{
    if (lower == upper)
        return false;
    return std::any_of(claimed.begin(), claimed.end(), [&](const auto& c) {
        return c.first != c.second && lower < c.second && c.first < upper;
    });
}

struct Collector {
    qsizetype offset;
    QList<StyleRun> runs;
    QList<std::pair<qsizetype, qsizetype>> claimed;

    void add(qsizetype lower, qsizetype upper, Style style)
    {
        runs.append({lower + offset, upper + offset, std::move(style)});
        claimed.append({lower, upper});
    }
    bool isClaimed(qsizetype lower, qsizetype upper) const
    {
        return overlaps(lower, upper, claimed);
    }
};

void codeSpans(QStringView sub, Collector& out)
{
    RegexScan scan(cachedRegex(QStringLiteral("`([^`\\n]+)`")), sub);
    while (scan.next()) {
        if (out.isClaimed(scan.start(), scan.end()))
            continue;
        out.add(scan.start(), scan.start(1), Style::of(Kind::Marker));
        out.add(scan.start(1), scan.end(1), Style::of(Kind::Code));
        out.add(scan.end(1), scan.end(), Style::of(Kind::Marker));
    }
}

void markdownLinks(QStringView sub, Collector& out)
{
    RegexScan scan(cachedRegex(QStringLiteral("\\[([^\\]\\n]+)\\]\\(([^)\\s]+)\\)")), sub);
    while (scan.next()) {
        if (out.isClaimed(scan.start(), scan.end()))
            continue;
        const QUrl url(sub.mid(scan.start(2), scan.end(2) - scan.start(2)).toString());
        if (!url.isValid() || url.scheme().isEmpty())
            continue;
        out.add(scan.start(), scan.start(1), Style::of(Kind::Marker));
        out.add(scan.start(1), scan.end(1), Style::link(url));
        out.add(scan.end(1), scan.end(), Style::of(Kind::Marker));
    }
}

// Punctuation that ends a sentence around an address rather than belonging to it.
bool isTrailingPunctuation(QChar c)
{
    return QStringView(u".,;:!?)*_~`]\"'").contains(c);
}

void bareAddresses(QStringView sub, Collector& out)
{
    RegexScan scan(
        cachedRegex(QStringLiteral(
            "(?i)\\b((?:https?://|www\\.)[^\\s<>]+|[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,})")),
        sub);
    while (scan.next()) {
        const qsizetype start = scan.start(1);
        QStringView candidate = sub.mid(start, scan.end(1) - start);
        while (!candidate.isEmpty() && isTrailingPunctuation(candidate.back())) {
            if (candidate.back() == u')' && candidate.count(u'(') >= candidate.count(u')'))
                break;
            candidate.chop(1);
        }
        if (out.isClaimed(start, start + candidate.size()))
            continue;
        QString address = candidate.toString();
        const QString lower = address.toLower();
        if (address.contains(u'@') && !lower.startsWith(u"http"))
            address.prepend(u"mailto:");
        else if (lower.startsWith(u"www."))
            address.prepend(u"https://");
        const QUrl url(address);
        if (!url.isValid())
            continue;
        out.add(start, start + candidate.size(), Style::link(url));
    }
}

void emphasis(QStringView sub, Collector& out)
{
    struct Rule {
        QString pattern;
        char16_t marker;
        Kind kind;
    };
    static const Rule rules[] = {
        {QStringLiteral("\\*\\*(?=\\S)([^*\\n]+?)(?<=\\S)\\*\\*"), u'*', Kind::Bold},
        {QStringLiteral("__(?=\\S)([^_\\n]+?)(?<=\\S)__"), u'_', Kind::Bold},
        {QStringLiteral("~~(?=\\S)([^~\\n]+?)(?<=\\S)~~"), u'~', Kind::Strike},
        {QStringLiteral("(?<![\\w*])\\*(?=[^\\s*])([^*\\n]+?)(?<=[^\\s*])\\*(?![\\w*])"), u'*',
         Kind::Italic},
        {QStringLiteral("(?<![\\w_])_(?=[^\\s_])([^_\\n]+?)(?<=[^\\s_])_(?![\\w_])"), u'_',
         Kind::Italic},
    };
    for (const Rule& rule : rules) {
        if (!sub.contains(rule.marker)) // no marker, no match: skip the scan
            continue;
        RegexScan scan(cachedRegex(rule.pattern), sub);
        while (scan.next()) {
            const qsizetype open = scan.start();
            const qsizetype innerStart = scan.start(1);
            const qsizetype innerEnd = scan.end(1);
            const qsizetype close = scan.end();
            if (out.isClaimed(open, innerStart) || out.isClaimed(innerEnd, close))
                continue;
            out.add(open, innerStart, Style::of(Kind::Marker));
            out.add(innerStart, innerEnd, Style::of(rule.kind));
            out.add(innerEnd, close, Style::of(Kind::Marker));
        }
    }
}

bool mayHoldAddress(QStringView sub)
{
    return sub.contains(u'@') || sub.contains(u"://") || sub.contains(u"www.", Qt::CaseInsensitive);
}

// What QTextDocument splits blocks at, and so what the per-block styles see as a
// paragraph's end; a line separator (U+2028) stays inside its block.
bool isParagraphSeparator(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar(0x2029);
}

} // namespace

const icu::RegexPattern& cachedRegex(const QString& pattern)
{
    static std::mutex lock;
    static QHash<QString, std::shared_ptr<const icu::RegexPattern>> cache;
    {
        std::lock_guard guard(lock);
        auto it = cache.constFind(pattern);
        if (it != cache.constEnd())
            return **it;
    }
    std::shared_ptr<const icu::RegexPattern> compiled = icutext::compile(pattern);
    std::lock_guard guard(lock);
    // Another thread may have compiled the same pattern meanwhile; keep the first.
    auto it = cache.constFind(pattern);
    if (it == cache.constEnd())
        it = cache.insert(pattern, std::move(compiled));
    return **it;
}

QList<StyleRun> inlineRuns(QStringView text, qsizetype start, qsizetype end)
{
    start = std::clamp<qsizetype>(start, 0, text.size());
    end = std::clamp<qsizetype>(end, start, text.size());
    const QStringView sub = text.mid(start, end - start);
    Collector out{start, {}, {}};
    if (sub.contains(u'`'))
        codeSpans(sub, out);
    if (sub.contains(u"]("))
        markdownLinks(sub, out);
    if (mayHoldAddress(sub))
        bareAddresses(sub, out);
    emphasis(sub, out);

    QList<std::pair<StyleRun, qsizetype>> numbered;
    numbered.reserve(out.runs.size());
    for (qsizetype i = 0; i < out.runs.size(); ++i)
        numbered.append({out.runs[i], i});
    std::sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) {
        if (a.first.lower != b.first.lower)
            return a.first.lower < b.first.lower;
        if (a.first.upper != b.first.upper)
            return a.first.upper > b.first.upper;
        return a.second > b.second;
    });
    QList<StyleRun> sorted;
    sorted.reserve(numbered.size());
    for (auto& [run, _] : numbered)
        sorted.append(std::move(run));
    return sorted;
}

std::optional<TextRange> checkboxRange(QStringView line)
{
    if (!line.contains(u'['))
        return std::nullopt;
    RegexScan scan(cachedRegex(QStringLiteral("^\\s*[-*] (\\[[ xX]\\]) ")), line);
    if (!scan.next())
        return std::nullopt;
    return TextRange{scan.start(1), scan.end(1) - scan.start(1)};
}

QList<StyleRun> runsForLine(QStringView line)
{
    QStringView text = line;
    if (text.endsWith(u"\r\n"))
        text.chop(2);
    else if (text.endsWith(u'\n'))
        text.chop(1);
    const qsizetype len = text.size();
    if (len == 0)
        return {};

    const qsizetype firstContent = [&] {
        qsizetype i = 0;
        while (i < len && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        return i;
    }();
    if (firstContent < len && text[firstContent] == u'=')
        return {{0, len, Style::of(Kind::Math)}};
    if (trimHorizontal(text) == u"---")
        return {{0, len, Style::of(Kind::Rule)}};

    if (text.startsWith(u'#')) {
        RegexScan heading(cachedRegex(QStringLiteral("^(#{1,3}) ")), text);
        if (heading.next()) {
            const qsizetype m = heading.end();
            QList<StyleRun> runs{{0, m, Style::of(Kind::Marker)},
                                 {m, len, Style::heading(static_cast<int>(m - 1))}};
            runs.append(inlineRuns(text, m, len));
            return runs;
        }
    }

    RegexScan item(cachedRegex(QStringLiteral("^\\s*(?:[-*]|\\d+\\.) ")), text);
    if (item.next()) {
        const qsizetype m = item.end();
        const QStringView matched = text.first(m);
        const QStringView bullet = trimHorizontal(matched);
        const qsizetype bulletStart = matched.indexOf(bullet);
        QList<StyleRun> runs{
            {bulletStart, bulletStart + bullet.size(), Style::of(Kind::ListBullet)}};
        qsizetype scanFrom = m;
        if (const std::optional<TextRange> box = checkboxRange(text)) {
            const bool checked =
                text.mid(box->location, box->length).compare(u"[x]", Qt::CaseInsensitive) == 0;
            runs.append({box->location, box->end(), Style::checkbox(checked)});
            scanFrom = box->end() + 1;
        }
        runs.append(inlineRuns(text, scanFrom, len));
        return runs;
    }
    return inlineRuns(text, 0, len);
}

TextRange paragraphRange(QStringView text, TextRange range)
{
    const qsizetype size = text.size();
    const qsizetype location = std::clamp<qsizetype>(range.location, 0, size);
    const qsizetype length = std::clamp<qsizetype>(range.length, 0, size - location);

    qsizetype start = location;
    // Inside a CR LF pair the paragraph is the one the pair ends.
    if (start > 0 && start < size && text[start - 1] == u'\r' && text[start] == u'\n')
        --start;
    while (start > 0 && !isParagraphSeparator(text[start - 1]))
        --start;

    qsizetype last = length > 0 ? location + length - 1 : location;
    qsizetype end = last;
    while (end < size && !isParagraphSeparator(text[end]))
        ++end;
    if (end < size) {
        ++end;
        if (text[end - 1] == u'\r' && end < size && text[end] == u'\n')
            ++end;
    }
    return {start, std::max(start, end) - start};
}

} // namespace quelto::MarkdownHighlighter

QDebug operator<<(QDebug debug, const quelto::MarkdownHighlighter::StyleRun& run)
{
    using Kind = quelto::MarkdownHighlighter::Style::Kind;
    static const char* const names[] = {"heading", "link", "checkbox",   "marker", "bold", "italic",
                                        "strike",  "code", "listBullet", "rule",   "math"};
    QDebugStateSaver saver(debug);
    debug.nospace() << names[static_cast<int>(run.style.kind)] << ' ' << run.lower << ".."
                    << run.upper;
    if (run.style.kind == Kind::Heading)
        debug << " level " << run.style.level;
    if (run.style.kind == Kind::Link)
        debug << ' ' << run.style.url.toString();
    if (run.style.kind == Kind::Checkbox)
        debug << (run.style.checked ? " checked" : " unchecked");
    return debug;
}

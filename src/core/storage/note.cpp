// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/note.h"

#include "core/text/icutext.h"

#include <QRegularExpression>

#include <array>

namespace quelto {

QString Note::title() const
{
    if (isScratch)
        return QStringLiteral("Scratch");
    if (customTitle && !customTitle->isEmpty())
        return *customTitle;
    return derivedTitle(text);
}

namespace {

// Every character Unicode counts as a line break (vertical tab and form feed too): a
// tab's title is one line of whatever a file holds, however another program wrote it.
bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x85:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

QStringView trimSpacesAndTabs(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && (s[begin] == u' ' || s[begin] == u'\t'))
        ++begin;
    while (end > begin && (s[end - 1] == u' ' || s[end - 1] == u'\t'))
        --end;
    return s.mid(begin, end - begin);
}

// The first line that is not blank, without spaces and tabs at either end, read to at
// most `limit` characters, and whether it ended within them.
std::optional<std::pair<QStringView, bool>> firstContentLine(QStringView text, qsizetype limit)
{
    for (qsizetype start = 0; start < text.size(); ++start) {
        if (text[start] == u' ' || text[start] == u'\t' || isLineBreak(text[start]))
            continue;
        const qsizetype stop = text.size() - start > limit ? start + limit : text.size();
        qsizetype end = start;
        while (end < stop && !isLineBreak(text[end]))
            ++end;
        return std::pair{trimSpacesAndTabs(text.mid(start, end - start)),
                         end < stop || stop == text.size()};
    }
    return std::nullopt;
}

} // namespace

QString derivedTitle(const QString& text)
{
    // Markdown punctuation stripped from the line, in this order.
    static const std::array patterns = {
        icutext::compile(QStringLiteral("^#{1,6}\\s+")),
        icutext::compile(QStringLiteral("^[-*]\\s+\\[[ xX]\\]\\s+")),
        icutext::compile(QStringLiteral("^[-*]\\s+")),
        icutext::compile(QStringLiteral("^\\d+\\.\\s+")),
        icutext::compile(QStringLiteral("^=\\s*")),
        icutext::compile(QStringLiteral("[*_~`]+")),
    };
    const QString untitled = QStringLiteral("Untitled");
    // The title is the line's first few characters, so a long line is read and stripped
    // only as far as they need: what stripping a start of it leaves begins as what
    // stripping it whole leaves, once that is longer than a title.
    for (qsizetype taken = 8 * kTitleLength;; taken *= 8) {
        const auto line = firstContentLine(text, taken);
        if (!line)
            return untitled;
        QString title = line->first.toString();
        for (const auto& pattern : patterns)
            title = icutext::removeAll(*pattern, title);
        title = trimSpacesAndTabs(title).toString();
        if (line->second || icutext::graphemeCount(title) > kTitleLength)
            return title.isEmpty() ? untitled : icutext::graphemePrefix(title, kTitleLength);
    }
}

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(QStringView text)
{
    constexpr qsizetype kLength = 36;
    if (text.size() != kLength)
        return std::nullopt;
    for (qsizetype i = 0; i < kLength; ++i) {
        const char16_t c = text[i].unicode();
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex =
            (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (hyphenPlace ? c != u'-' : !hex)
            return std::nullopt;
    }
    const QUuid id = QUuid::fromString(text);
    if (id.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

QString internetDateTime(const QDateTime& dateTime)
{
    return dateTime.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

std::optional<QDateTime> parseInternetDateTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "\\A(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(Z|[+-]\\d{2}:\\d{2})\\z"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    const QString zone = m.captured(7);
    if (zone != u"Z") {
        const int hours = zone.mid(1, 2).toInt();
        const int minutes = zone.mid(4, 2).toInt();
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60 * (zone[0] == u'-' ? -1 : 1);
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, offsetSeconds).toUTC();
}

} // namespace quelto

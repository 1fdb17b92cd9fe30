// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bridges between QString and ICU without copying: ICU sees the QString's own
// UTF-16 buffer, so every offset ICU reports is a QString index.

#include <QString>
#include <QStringView>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>

namespace quelto::icutext {

// A read-only ICU view of `text`; valid only while `text` is alive and unchanged.
inline icu::UnicodeString alias(QStringView text)
{
    return icu::UnicodeString(false, reinterpret_cast<const char16_t*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

inline QString toQString(const icu::UnicodeString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

// Compiles a fixed pattern of the program's own; a pattern that does not compile is a
// programming error, so it aborts rather than returning something to check.
std::unique_ptr<icu::RegexPattern> compile(const QString& pattern, uint32_t flags = 0);

// Every match of `pattern` in `text` removed.
QString removeAll(const icu::RegexPattern& pattern, const QString& text);

// A tab or a Unicode space separator (the "horizontal white space" of the text rules).
bool isHorizontalSpace(char32_t c);
// `text` without horizontal white space at either end.
QStringView trimHorizontal(QStringView text);

// Number of user-perceived characters (grapheme clusters) in `text`.
qsizetype graphemeCount(const QString& text);

// The first `count` grapheme clusters of `text`.
QString graphemePrefix(const QString& text, qsizetype count);

} // namespace quelto::icutext

namespace quelto::icutext {

// Walks the matches of a compiled pattern over a QString view, reusing a matcher kept
// per thread (creating one per scan would dominate the cost of short lines). Offsets
// are relative to the view.
class RegexScan {
public:
    RegexScan(const icu::RegexPattern& pattern, QStringView text);
    ~RegexScan();
    RegexScan(const RegexScan&) = delete;
    RegexScan& operator=(const RegexScan&) = delete;

    // Advances to the next match; false when there is none (or on an ICU error).
    bool next();
    qsizetype start(int group = 0) const;
    qsizetype end(int group = 0) const;
    bool hasGroup(int group) const { return start(group) >= 0; }

private:
    const icu::RegexPattern& m_pattern;
    icu::UnicodeString m_input;
    std::unique_ptr<icu::RegexMatcher> m_matcher;
};

} // namespace quelto::icutext

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/icutext.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>

#include <cstdio>
#include <cstdlib>

namespace quelto::icutext {

std::unique_ptr<icu::RegexPattern> compile(const QString& pattern, uint32_t flags)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(alias(pattern), flags, parseError, status));
    if (U_FAILURE(status) || !compiled) {
        std::fprintf(stderr, "quelto: pattern %s does not compile: %s\n", qPrintable(pattern),
                     u_errorName(status));
        std::abort();
    }
    return compiled;
}

QString removeAll(const icu::RegexPattern& pattern, const QString& text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = alias(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(input, status));
    if (U_FAILURE(status))
        return text;
    const icu::UnicodeString out = matcher->replaceAll(icu::UnicodeString(), status);
    return U_FAILURE(status) ? text : toQString(out);
}

bool isHorizontalSpace(char32_t c)
{
    return c == u'\t' || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}

QStringView trimHorizontal(QStringView text)
{
    while (!text.isEmpty() && isHorizontalSpace(text.front().unicode()))
        text = text.mid(1);
    while (!text.isEmpty() && isHorizontalSpace(text.back().unicode()))
        text.chop(1);
    return text;
}

namespace {

// Walks grapheme boundaries; returns the offset after `limit` clusters (or the end)
// and the number of clusters passed.
std::pair<qsizetype, qsizetype> walkGraphemes(const QString& text, qsizetype limit)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !it)
        return {std::min(limit, text.size()), std::min(limit, text.size())};
    const icu::UnicodeString input = alias(text);
    it->setText(input);
    qsizetype count = 0;
    int32_t pos = it->first();
    while (count < limit) {
        const int32_t next = it->next();
        if (next == icu::BreakIterator::DONE)
            break;
        pos = next;
        ++count;
    }
    return {pos, count};
}

} // namespace

qsizetype graphemeCount(const QString& text)
{
    return walkGraphemes(text, text.size()).second;
}

QString graphemePrefix(const QString& text, qsizetype count)
{
    return text.left(walkGraphemes(text, count).first);
}

} // namespace quelto::icutext

#include <unordered_map>

namespace quelto::icutext {

namespace {

using MatcherPool =
    std::unordered_multimap<const icu::RegexPattern*, std::unique_ptr<icu::RegexMatcher>>;

MatcherPool& matcherPool()
{
    thread_local MatcherPool pool;
    return pool;
}

} // namespace

RegexScan::RegexScan(const icu::RegexPattern& pattern, QStringView text)
    : m_pattern(pattern)
    , m_input(alias(text))
{
    UErrorCode status = U_ZERO_ERROR;
    MatcherPool& pool = matcherPool();
    auto it = pool.find(&pattern);
    if (it != pool.end()) {
        m_matcher = std::move(it->second);
        pool.erase(it);
        m_matcher->reset(m_input);
    } else {
        m_matcher.reset(pattern.matcher(m_input, status));
        if (U_FAILURE(status))
            m_matcher.reset();
    }
}

RegexScan::~RegexScan()
{
    if (m_matcher) {
        // Let go of the input before the matcher outlives it in the pool.
        static const icu::UnicodeString kNothing;
        m_matcher->reset(kNothing);
        matcherPool().emplace(&m_pattern, std::move(m_matcher));
    }
}

bool RegexScan::next()
{
    if (!m_matcher)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const bool found = m_matcher->find(status);
    return found && U_SUCCESS(status);
}

qsizetype RegexScan::start(int group) const
{
    UErrorCode status = U_ZERO_ERROR;
    const int32_t s = m_matcher->start(group, status);
    return U_FAILURE(status) ? -1 : s;
}

qsizetype RegexScan::end(int group) const
{
    UErrorCode status = U_ZERO_ERROR;
    const int32_t e = m_matcher->end(group, status);
    return U_FAILURE(status) ? -1 : e;
}

} // namespace quelto::icutext

#include "common/icutext.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>

#include <cstdio>
#include <cstdlib>

namespace quelto::icutext {

std::unique_ptr<icu::RegexPattern> compile(const QString& pattern, uint32_t flags) {
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

QString removeAll(const icu::RegexPattern& pattern, const QString& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = alias(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(input, status));
    if (U_FAILURE(status))
        return text;
    const icu::UnicodeString out = matcher->replaceAll(icu::UnicodeString(), status);
    return U_FAILURE(status) ? text : toQString(out);
}

namespace {

// Walks grapheme boundaries; returns the offset after `limit` clusters (or the end)
// and the number of clusters passed.
std::pair<qsizetype, qsizetype> walkGraphemes(const QString& text, qsizetype limit) {
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

qsizetype graphemeCount(const QString& text) {
    return walkGraphemes(text, text.size()).second;
}

QString graphemePrefix(const QString& text, qsizetype count) {
    return text.left(walkGraphemes(text, count).first);
}

} // namespace quelto::icutext

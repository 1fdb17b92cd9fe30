// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/listediting.h"

#include "fuzzinput.h"

#include <cstdlib>

namespace {

bool splitsPair(const QString& text, qsizetype i)
{
    return i > 0 && i < text.size() && text[i - 1].isHighSurrogate() && text[i].isLowSurrogate();
}

void check(const QString& text, const std::optional<quelto::TextEdit>& edit)
{
    if (!edit)
        return;
    const quelto::TextRange r = edit->range;
    if (r.location < 0 || r.length < 0 || r.end() > text.size() || splitsPair(text, r.location) ||
        splitsPair(text, r.end()))
        std::abort();
    const QString after = edit->appliedTo(text);
    const quelto::TextRange s = edit->selection;
    if (s.location < 0 || s.length < 0 || s.end() > after.size())
        std::abort();
}

} // namespace

// The first four bytes choose the selection; the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quelto::ListEditing;
    if (size < 4)
        return 0;
    const qsizetype location = static_cast<std::int8_t>(data[0]) * 4 + data[1] % 4;
    const qsizetype length = static_cast<std::int8_t>(data[2]);
    const bool flag = data[3] & 1;
    const QString text = quelto::fuzz::textFrom(data + 4, size - 4);
    const quelto::TextRange sel{location, length};
    check(text, continueList(text, sel));
    check(text, renumberList(text, location));
    check(text, indentListItem(text, sel, flag));
    check(text, wrapSelection(text, sel, flag ? QStringLiteral("**") : QStringLiteral("`")));
    check(text, toggleCheckboxes(text, sel));
    check(text, checkboxClick(text, location));
    check(text,
          makeLink(text, sel, flag ? std::optional(QStringLiteral("https://x")) : std::nullopt));
    return 0;
}

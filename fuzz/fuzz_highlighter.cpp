// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/markdownhighlighter.h"

#include "fuzzinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quelto::MarkdownHighlighter;
    const QString text = quelto::fuzz::textFrom(data, size);
    QStringView line = text;
    if (line.endsWith(u"\r\n"))
        line.chop(2);
    else if (line.endsWith(u'\n'))
        line.chop(1);
    for (const StyleRun& run : runsForLine(text)) {
        if (run.lower < 0 || run.lower > run.upper || run.upper > line.size())
            std::abort();
    }
    if (const auto box = checkboxRange(text); box && box->end() > text.size())
        std::abort();
    const qsizetype a = size > 0 ? data[0] : 0;
    const quelto::TextRange p = paragraphRange(text, {a - 8, a / 3});
    if (p.location < 0 || p.length < 0 || p.end() > text.size())
        std::abort();
    return 0;
}

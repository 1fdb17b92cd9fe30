// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/mathevaluator.h"

#include "fuzzinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const icu::Locale locales[] = {icu::Locale("en_US"), icu::Locale("de_DE")};
    const QString text = quelto::fuzz::textFrom(data, size);
    for (const icu::Locale& locale : locales) {
        const QMap<int, quelto::Decimal> results = quelto::MathEvaluator::results(text, locale);
        for (const quelto::Decimal& value : results) {
            if (value.isNaN())
                std::abort();
            (void)quelto::MathEvaluator::formatResult(value, locale);
        }
        (void)quelto::MathEvaluator::evaluate(text, locale);
    }
    return 0;
}

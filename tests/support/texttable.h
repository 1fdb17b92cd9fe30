// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Data tables of texts alone, a row a line: textColumns({"before", "after"}), then
// textRow("name", "a", "b") for each case; cell("before") reads a text of the current row.

#include <QTest>

#include <initializer_list>

namespace quelto::testing {

inline void textColumns(std::initializer_list<const char*> columns)
{
    for (const char* column : columns)
        QTest::addColumn<QString>(column);
}

inline QString asText(const char* text)
{
    return QString::fromUtf8(text);
}

inline QString asText(const QString& text)
{
    return text;
}

template <typename... Texts> void textRow(const char* name, const Texts&... texts)
{
    (QTest::newRow(name) << ... << asText(texts));
}

// The current row's text in a column, for checks that read it once.
inline QString cell(const char* column)
{
    return *static_cast<QString*>(QTest::qData(column, qMetaTypeId<QString>()));
}

} // namespace quelto::testing

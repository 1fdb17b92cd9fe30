// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/keytable.h"

#include <algorithm>
#include <iterator>

namespace quelto::KeyTable {

namespace {

struct KeyPosition {
    quint32 virtualKey;
    quint32 evdev;
};

// Positional: each virtual key code to the Linux key at the same place on the keyboard.
constexpr KeyPosition kPositions[] = {
    {0, 30},    {1, 31},    {2, 32},    {3, 33},    {4, 35},    {5, 34},    {6, 44},   {7, 45},
    {8, 46},    {9, 47},    {10, 86},   {11, 48},   {12, 16},   {13, 17},   {14, 18},  {15, 19},
    {16, 21},   {17, 20},   {18, 2},    {19, 3},    {20, 4},    {21, 5},    {22, 7},   {23, 6},
    {24, 13},   {25, 10},   {26, 8},    {27, 12},   {28, 9},    {29, 11},   {30, 27},  {31, 24},
    {32, 22},   {33, 26},   {34, 23},   {35, 25},   {36, 28},   {37, 38},   {38, 36},  {39, 40},
    {40, 37},   {41, 39},   {42, 43},   {43, 51},   {44, 53},   {45, 49},   {46, 50},  {47, 52},
    {48, 15},   {49, 57},   {50, 41},   {51, 14},   {53, 1},    {64, 187},  {65, 83},  {67, 55},
    {69, 78},   {71, 69},   {75, 98},   {76, 96},   {78, 74},   {79, 188},  {80, 189}, {81, 117},
    {82, 82},   {83, 79},   {84, 80},   {85, 81},   {86, 75},   {87, 76},   {88, 77},  {89, 71},
    {90, 190},  {91, 72},   {92, 73},   {96, 63},   {97, 64},   {98, 65},   {99, 61},  {100, 66},
    {101, 67},  {103, 87},  {105, 183}, {106, 186}, {107, 184}, {109, 68},  {111, 88}, {113, 185},
    {114, 110}, {115, 102}, {116, 104}, {117, 111}, {118, 62},  {119, 107}, {120, 60}, {121, 109},
    {122, 59},  {123, 105}, {124, 106}, {125, 108}, {126, 103},
};

struct FixedName {
    quint32 virtualKey;
    const char16_t* glyph;
    const char16_t* text;
};

constexpr FixedName kFixedNames[] = {
    {36, u"↩", u"Return"},    {48, u"⇥", u"Tab"},    {49, u"Space", u"Space"},
    {51, u"⌫", u"Backspace"}, {53, u"⎋", u"Esc"},    {117, u"⌦", u"Del"},
    {123, u"←", u"Left"},     {124, u"→", u"Right"}, {125, u"↓", u"Down"},
    {126, u"↑", u"Up"},       {122, u"F1", u"F1"},   {120, u"F2", u"F2"},
    {99, u"F3", u"F3"},       {118, u"F4", u"F4"},   {96, u"F5", u"F5"},
    {97, u"F6", u"F6"},       {98, u"F7", u"F7"},    {100, u"F8", u"F8"},
    {101, u"F9", u"F9"},      {109, u"F10", u"F10"}, {103, u"F11", u"F11"},
    {111, u"F12", u"F12"},
};

} // namespace

std::optional<quint32> evdevCode(quint32 virtualKeyCode)
{
    const auto it =
        std::find_if(std::begin(kPositions), std::end(kPositions),
                     [&](const KeyPosition& p) { return p.virtualKey == virtualKeyCode; });
    return it == std::end(kPositions) ? std::nullopt : std::optional(it->evdev);
}

std::optional<quint32> virtualKeyCode(quint32 evdevCode)
{
    const auto it = std::find_if(std::begin(kPositions), std::end(kPositions),
                                 [&](const KeyPosition& p) { return p.evdev == evdevCode; });
    return it == std::end(kPositions) ? std::nullopt : std::optional(it->virtualKey);
}

std::optional<QString> fixedName(quint32 virtualKeyCode, NameForm form)
{
    const auto it =
        std::find_if(std::begin(kFixedNames), std::end(kFixedNames),
                     [&](const FixedName& n) { return n.virtualKey == virtualKeyCode; });
    if (it == std::end(kFixedNames))
        return std::nullopt;
    return QString::fromUtf16(form == NameForm::Glyph ? it->glyph : it->text);
}

} // namespace quelto::KeyTable

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The note editor as assistive tools see it: its text, caret and selection, lines as
// they wrap, and characters where they are drawn. Qt's own description of a plain
// text editor places characters as if the note were never scrolled.

namespace quelto::EditorAccessible {

// Describes every note editor from now on.
void install();

} // namespace quelto::EditorAccessible

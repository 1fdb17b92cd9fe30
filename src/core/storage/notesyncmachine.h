// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A note's life beside its file, as one state machine. The notes folder is shared with
// other programs (sync tools, editors), so the text in a tab and the text on disk can
// part ways in several manners: typed here and not written yet, a write that failed,
// the file deleted or rewritten by another program, or being written by one right now.
// Each tab is in exactly one State; what happens to it (an edit, a save's outcome,
// what the repository saw in the file) is an Event; `next` says the State that follows
// and the Actions the note store must carry out. The store owns the tabs, the timers
// and the file I/O; every rule about when a text is written, taken in, kept beside the
// other version or moved to a file of its own lives here.
//
// Nothing a user typed may be lost: a tab leaves an unsaved State only when its text is
// on disk (Saved, FileMatches), when it goes on in a file of its own (Rehome), or when
// it had no edits of its own (Restoring taking another program's text).

#include <QFlags>
#include <QObject>

namespace quelto::NoteSync {
Q_NAMESPACE

enum class State {
    Clean,        // the file holds what the tab shows
    Edited,       // typed here, to be written
    Failed,       // the last write failed; retried by itself
    Restoring,    // another program deleted the file; written back, no edits of its own
    OtherWriting, // edited here while another program writes the file: its text is held
};
Q_ENUM_NS(State)

enum class Event {
    Edited,            // the user changed the text
    SaveDue,           // the save delay or a retry came round
    FlushDue,          // everything must be written now (quit, sleep, logout)
    SaveDueWhileBusy,  // a save is due but another program wrote the file a moment ago
    FlushDueWhileBusy, // the same, when it cannot wait
    Saved,             // the write reached the disk
    SaveFailed,        // the write failed (full disk, no permission, folder missing)
    Overtaken,         // the file changed between looking and writing: read it first
    OvertakenAtFlush,  // the same, when it cannot wait
    FileChanged,       // another program's finished text, not what the tab shows
    FileMatches,       // the file now holds what the tab shows
    FileSettling,      // another program's text, which it may still be writing
    FileBusy,          // written a moment ago, no new text
    FileQuiet,         // not written by another program for a while
    FileDeleted,       // another program removed the file
    FileUnreadable,    // replaced by what is no note: not UTF-8, a link, a pipe, too large
    Closed,            // the tab closed; its text went to the Trash
};
Q_ENUM_NS(Event)

enum class Action {
    None = 0,
    Write = 1 << 0,            // write the tab's text now
    ScheduleSave = 1 << 1,     // write it within the save delay
    Wait = 1 << 2,             // look again in a moment; nothing is written meanwhile
    ReportFailure = 1 << 3,    // count the failure and retry on a timer
    TakeText = 1 << 4,         // the tab shows what the file holds
    HoldOtherVersion = 1 << 5, // remember the other program's text until it is done
    KeepOtherVersion = 1 << 6, // the other program's text becomes a note of its own
    Rehome = 1 << 7,           // the tab goes on in a new file, leaving this one
    Hold = 1 << 8,             // with Rehome: the old file keeps its place in the index
};
Q_DECLARE_FLAGS(Actions, Action)
Q_FLAG_NS(Actions)

struct Step {
    State state = State::Clean;
    Actions actions;

    friend bool operator==(const Step&, const Step&) = default;
};

// Every (State, Event) pair has an answer; one that cannot arise is answered so that
// nothing is lost.
Step next(State state, Event event);

// The tab's text exists nowhere but here.
constexpr bool isUnsaved(State state)
{
    return state != State::Clean;
}

} // namespace quelto::NoteSync

Q_DECLARE_OPERATORS_FOR_FLAGS(quelto::NoteSync::Actions)

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/storage/notesyncmachine.h"

namespace quelto::NoteSync {

namespace {

// Neither has text of its own that the file lacks, so another program's text wins.
bool hasNoEditsHere(State state)
{
    return state == State::Clean || state == State::Restoring;
}

} // namespace

Step next(State state, Event event)
{
    using enum Action;
    switch (event) {
    case Event::Edited:
        return {hasNoEditsHere(state) ? State::Edited : state, ScheduleSave};
    case Event::SaveDue:
        // Never written over a file another program is still writing.
        if (state == State::OtherWriting)
            return {state, Wait};
        return {state, Write}; // a clean tab too: a new tab or a new title is written
    case Event::FlushDue:
        // Cannot wait for the other program: its text becomes a note of its own first.
        if (state == State::OtherWriting)
            return {State::Edited, KeepOtherVersion | Write};
        return {state, Write};
    case Event::SaveDueWhileBusy:
        return {state == State::Clean ? State::Edited : state, Wait};
    case Event::FlushDueWhileBusy:
        // The other program's version stays in its file and comes back as a tab; what
        // is typed here goes to a file of its own.
        if (hasNoEditsHere(state))
            return {state, {}};
        return {State::Clean, Rehome};
    case Event::Saved:
        return {state == State::OtherWriting ? state : State::Clean, {}};
    case Event::SaveFailed:
        return {state == State::OtherWriting ? state : State::Failed, ReportFailure};
    case Event::Overtaken:
        return {state == State::OtherWriting ? state : State::Edited, Wait};
    case Event::OvertakenAtFlush:
        return {State::Clean, Rehome};
    case Event::FileChanged:
        if (hasNoEditsHere(state))
            return {State::Clean, TakeText};
        return {state == State::OtherWriting ? State::Edited : state, KeepOtherVersion};
    case Event::FileMatches:
        return {State::Clean, TakeText};
    case Event::FileSettling:
        // Shown at once unless there are edits here; then compared once it settles.
        if (hasNoEditsHere(state))
            return {State::Clean, TakeText | Wait};
        return {State::OtherWriting, HoldOtherVersion | Wait};
    case Event::FileBusy:
        return {state, Wait};
    case Event::FileQuiet:
        if (state == State::OtherWriting)
            return {State::Edited, KeepOtherVersion};
        return {state, {}};
    case Event::FileDeleted:
        // Written back soon, so the text never lives only in memory; what comes in its
        // place meanwhile is read first, and wins unless there were edits here.
        return {state == State::Clean ? State::Restoring : state, ScheduleSave};
    case Event::FileUnreadable:
        return {State::Clean, Rehome | Hold};
    case Event::Closed:
        return {State::Clean, {}};
    }
    return {state, {}};
}

} // namespace quelto::NoteSync

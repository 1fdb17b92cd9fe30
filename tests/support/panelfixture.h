// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The widget tests' set-ups: notes in a store that saves to memory, preferences and
// frame settings in a temporary folder, a note panel over them. Settings write
// themselves out as they end, so each is declared after the folder that holds it.

#include "core/settings/preferences.h"
#include "core/storage/notestore.h"
#include "support/memorynoterepository.h"
#include "support/notes.h"
#include "ui/panel/notepanelcontroller.h"

#include <QSettings>
#include <QTemporaryDir>

#include <functional>

namespace quelto::testing {

struct SettingsFolder {
    using LoginItems = std::function<std::unique_ptr<LoginItemService>(const QTemporaryDir&)>;

    explicit SettingsFolder(const LoginItems& login = {})
        : prefs(std::make_unique<QSettings>(dir.filePath("p.ini"), QSettings::IniFormat),
                login ? login(dir) : nullptr)
    {}

    QTemporaryDir dir;
    Preferences prefs;
};

// `notes` (none: the store starts as on a first run) with notes[active] shown.
struct StoreFixture : SettingsFolder {
    explicit StoreFixture(QList<Note> initial = {}, int active = 0, const LoginItems& login = {})
        : SettingsFolder(login)
        , notes(std::move(initial))
        , store(seeded(active), std::chrono::seconds(10))
    {}

    QList<Note> notes;
    std::shared_ptr<MemoryNoteRepository> repo = std::make_shared<MemoryNoteRepository>();
    NoteStore store;

private:
    std::shared_ptr<MemoryNoteRepository> seeded(int active)
    {
        if (!notes.isEmpty())
            repo->index = NoteIndex{notes, notes[active].id};
        return repo;
    }
};

struct PanelFixture : StoreFixture {
    explicit PanelFixture(QList<Note> initial, int active = 0, Clock now = {})
        : StoreFixture(std::move(initial), active)
        , panel(store, prefs, state, commands, std::move(now))
    {}

    FloatingPanel* window() { return panel.controller().panel(); }
    EditorTextView* editor() { return panel.view().editor().textView(); }

    PanelState state;
    CommandTable commands;
    NotePanelController panel;
};

} // namespace quelto::testing

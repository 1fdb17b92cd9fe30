#pragma once
// Checking for a newer Quelto. Builds without an update feed cannot check, and every
// menu leaves the "Check for Updates…" entry out.

namespace quelto {

class Updater {
public:
    virtual ~Updater() = default;
    virtual bool canCheckForUpdates() const = 0;
    virtual void checkForUpdates() = 0;
};

class NoUpdater final : public Updater {
public:
    bool canCheckForUpdates() const override { return false; }
    void checkForUpdates() override {}
};

} // namespace quelto

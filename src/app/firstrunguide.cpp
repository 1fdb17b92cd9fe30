// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firstrunguide.h"

#include <QTimer>

namespace quelto {

namespace {

// The line of the welcome note that says how to open it; the others never change.
constexpr qsizetype kHowToOpenLine = 1;

QStringList withoutHowToOpen(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (lines.size() > kHowToOpenLine)
        lines.removeAt(kHowToOpenLine);
    return lines;
}

} // namespace

QString FirstRunGuide::welcomeText(const QString& shortcut, bool trayShown)
{
    const QString howToOpen =
        !shortcut.isEmpty()
            ? QStringLiteral("Press **%1** anywhere to show or hide this note.").arg(shortcut)
            : QStringLiteral("Open this note %1, or bind the command `quelto --toggle` to a key "
                             "in your desktop's keyboard settings.")
                  .arg(trayShown ? QStringLiteral("from the tray icon")
                                 : QStringLiteral("by starting Quelto again from your app "
                                                  "launcher"));
    return QStringList{
        QStringLiteral("# Welcome to Quelto"),
        howToOpen + QStringLiteral(" It stays on top until you press Esc."),
        QString(),
        QStringLiteral("- [ ] Click this box to tick it"),
        QStringLiteral("- [x] Type `- [ ]` to make another"),
        QStringLiteral("- Links are Ctrl-clickable: " QUELTO_WEBSITE_URL),
        QString(),
        QStringLiteral("Lines that start with = are calculated:"),
        QStringLiteral("= 12.50"),
        QStringLiteral("= 7"),
        QStringLiteral("= 30"),
        QStringLiteral("= sum"),
        QString(),
        QStringLiteral("Try **bold**, _italic_, ~~strike~~ and `code`. What you copy out is plain "
                       "text."),
    }
        .join(u'\n');
}

FirstRunGuide::FirstRunGuide(Preferences& prefs, NoteStore& store,
                             const ShortcutCoordinator& shortcut, const TrayHost* tray,
                             std::function<void()> tryIt, QObject* parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_store(store)
    , m_shortcut(shortcut)
    , m_tray(tray)
    , m_tryIt(std::move(tryIt))
{
    connect(&shortcut, &ShortcutCoordinator::changed, this, &FirstRunGuide::shortcutChanged);
    connect(&prefs, &Preferences::hotKeyChanged, this, &FirstRunGuide::shortcutChanged);
    if (tray)
        connect(tray, &TrayHost::availableChanged, this, &FirstRunGuide::shortcutChanged);
}

FirstRunGuide::~FirstRunGuide() = default;

void FirstRunGuide::start()
{
    m_display.setText(m_shortcut.displayName());
    if (m_prefs.hasCompletedOnboarding())
        return;
    seedWelcomeNote();
    show();
}

void FirstRunGuide::seedWelcomeNote()
{
    const Note scratch = m_store.notes().first();
    if (scratch.text.isEmpty())
        m_store.updateText(welcomeText(m_shortcut.displayName(), trayShown()), scratch.id);
}

void FirstRunGuide::show()
{
    QList<OnboardingStep> steps = onboardingSteps(m_display, m_tryIt, m_tray);
    if (steps.isEmpty())
        return;
    if (!m_window) {
        m_window = std::make_unique<OnboardingWindowController>(kOnboardingTitle, kOnboardingSize);
        connect(m_window.get(), &OnboardingWindowController::finished, this, [this] {
            m_prefs.setHasCompletedOnboarding(true);
            // Not inside the controller's own signal.
            QTimer::singleShot(0, this, [this] { m_window.reset(); });
        });
    }
    m_window->present(std::move(steps), 0, kOnboardingFinishTitle);
}

void FirstRunGuide::shortcutChanged()
{
    m_display.setText(m_shortcut.displayName());
    // The untouched welcome note follows what the desktop answered and whether it
    // shows a tray.
    if (m_prefs.hasCompletedOnboarding())
        return;
    const Note scratch = m_store.notes().first();
    const QString text = welcomeText(m_shortcut.displayName(), trayShown());
    if (scratch.text != text && withoutHowToOpen(scratch.text) == withoutHowToOpen(text))
        m_store.updateText(text, scratch.id);
}

} // namespace quelto

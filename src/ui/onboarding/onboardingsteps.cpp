// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/onboardingsteps.h"

#include "ui/accessibility/accessiblewidget.h"

#include "ui/window/glasssurface.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelto {

namespace {

constexpr float kBadgeFillAlpha = 0.08f;
constexpr float kScratchFillAlpha = 0.10f;
constexpr int kMockWidth = 300;
constexpr double kMockRadius = 14;

// The pages' type sizes are in logical pixels, so the pictured panel and the text
// around it keep their proportions whatever the desktop's font size.
constexpr int kBodySize = 13;
constexpr int kTitleSize = 22;
constexpr int kLargeTitleSize = 26;
constexpr int kSubtitleSize = 15;
constexpr int kTrickSize = 14;

constexpr float kSecondaryAlpha = 0.6f;

// Text in the secondary colour: the text colour, faded, so it follows light and dark
// palettes (a theme's placeholder colour is often too faint on dark ones).
class SecondaryLabel final : public QLabel {
public:
    SecondaryLabel(const QString& text, QWidget* parent)
        : QLabel(text, parent)
    {
        fade();
    }

protected:
    void changeEvent(QEvent* event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange)
            fade();
    }

private:
    void fade()
    {
        const QColor text = GlassSurface::withAlpha(
            (parentWidget() ? parentWidget()->palette() : QPalette()).color(QPalette::WindowText),
            kSecondaryAlpha);
        // Setting the palette announces a change itself: only set a new colour.
        if (palette().color(QPalette::WindowText) == text)
            return;
        QPalette faded = palette();
        faded.setColor(QPalette::WindowText, text);
        setPalette(faded);
    }
};

QLabel* label(const QString& text, QWidget* parent, int pixelSize = kBodySize,
              QFont::Weight weight = QFont::Normal, bool secondary = false)
{
    QLabel* result = secondary ? new SecondaryLabel(text, parent) : new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    QFont font = result->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    result->setFont(font);
    return result;
}

// "Scratch" on a capsule, as the panel shows its current tab.
class ScratchTab final : public QLabel {
public:
    explicit ScratchTab(QWidget* parent)
        : QLabel(QStringLiteral("Scratch"), parent)
    {
        QFont font = this->font();
        font.setPixelSize(11);
        font.setWeight(QFont::DemiBold);
        setFont(font);
        setContentsMargins(8, 3, 8, 3);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        GlassSurface::paintCard(painter, rect(), height() / 2.0,
                                palette().color(QPalette::WindowText), kScratchFillAlpha, 0, 0);
        painter.end();
        QLabel::paintEvent(event);
    }
};

// A still picture of the note panel: tabs, a line of text, a task and a sum.
QWidget* panelMock(QWidget* parent)
{
    auto* card = new GlassSurface::CardBackground(kMockRadius, parent);
    // One picture to a screen reader, not its loose words.
    Accessible::setRole(card, QAccessible::Graphic);
    card->setAccessibleName(QStringLiteral("Picture of the Quelto panel: tabs, a note, a task "
                                           "and a sum"));
    card->setFixedWidth(kMockWidth);
    card->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont body = card->font();
    body.setPixelSize(kBodySize);
    card->setFont(body);
    auto* rows = new QVBoxLayout(card);
    rows->setContentsMargins(12, 12, 12, 12);
    rows->setSpacing(8);

    auto* tabs = new QHBoxLayout;
    tabs->setSpacing(6);
    tabs->addWidget(new ScratchTab(card));
    for (const char* name : {"Standup", "Ideas"})
        tabs->addWidget(label(QString::fromLatin1(name), card, 11, QFont::Normal, true));
    tabs->addWidget(label(QStringLiteral("+"), card, 9, QFont::Bold, true));
    tabs->addStretch(1);
    rows->addLayout(tabs);

    auto* divider = new QFrame(card);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    rows->addWidget(divider);

    auto* call = new QLabel(QStringLiteral("Call <b>Mum</b> after lunch"), card);
    call->setTextFormat(Qt::RichText);
    rows->addWidget(call);

    auto* task = new QHBoxLayout;
    task->setSpacing(6);
    task->addWidget(label(QStringLiteral("☐"), card, kBodySize, QFont::Normal, true));
    task->addWidget(label(QStringLiteral("Book dentist"), card));
    task->addStretch(1);
    rows->addLayout(task);

    auto* sum = new QHBoxLayout;
    QLabel* line = label(QStringLiteral("= 12.50 + 7 + 30"), card);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(kBodySize);
    line->setFont(mono);
    sum->addWidget(line);
    sum->addStretch(1);
    sum->addWidget(label(QStringLiteral("49.5"), card, 12, QFont::Normal, true));
    rows->addLayout(sum);
    for (QWidget* child : card->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        Accessible::hide(child);
    return card;
}

struct Trick {
    const char* symbol;
    const char* text;
};

// The design's symbols, drawn with characters every desktop font has.
constexpr Trick kTricks[] = {
    {"Aa", "**bold**, _italic_, ~~strike~~, `code`, # headings. Ctrl+B, Ctrl+I and Ctrl+E wrap "
           "the selection."},
    {"☑", "- [ ] makes a checkbox you can click. Return continues a list, Ctrl+L toggles a box."},
    {"↗", "URLs are Ctrl-clickable. Paste a link over selected text to make it a link."},
    {"=", "= 12 * 4 shows 48 at the end of the line. = sum adds up the lines above."},
    {"❐", "Ctrl+T adds a tab, Ctrl+1…Ctrl+9 switch, Ctrl+W closes. Tabs are Markdown files on "
          "your computer."},
};

QWidget* tricksStep()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addWidget(label(QStringLiteral("A few tricks"), page, kTitleSize, QFont::Bold));
    QLabel* intro = label(QStringLiteral("Your Scratch tab already has a sample note. Everything "
                                         "is plain text; the styling is just how it looks."),
                          page, kBodySize, QFont::Normal, true);
    intro->setWordWrap(true);
    column->addWidget(intro);
    for (const Trick& trick : kTricks) {
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        QLabel* symbol = label(QString::fromUtf8(trick.symbol), page, kTrickSize, QFont::DemiBold);
        symbol->setForegroundRole(QPalette::Highlight);
        symbol->setFixedWidth(18 + 4);
        symbol->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        row->addWidget(symbol, 0, Qt::AlignTop);
        QLabel* text = label(QString::fromUtf8(trick.text), page, kTrickSize);
        text->setWordWrap(true);
        row->addWidget(text, 1, Qt::AlignTop);
        column->addLayout(row);
    }
    column->addStretch(1);
    page->setMaximumWidth(440);
    return page;
}

} // namespace

void ShortcutDisplay::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged(m_text);
}

ShortcutBadge::ShortcutBadge(const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
{
    QFont font = this->font();
    font.setPixelSize(kPixelSize);
    font.setWeight(QFont::DemiBold);
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

void ShortcutBadge::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize ShortcutBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(m_text) + 2 * kPadX, metrics.height() + 2 * kPadY};
}

void ShortcutBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor text = palette().color(QPalette::WindowText);
    GlassSurface::paintCard(painter, rect(), kRadius, text, kBadgeFillAlpha, 0, 0);
    painter.setPen(text);
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}

WelcomeStep::WelcomeStep(const ShortcutDisplay& shortcut, const TrayHost* tray, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(panelMock(this), 0, Qt::AlignHCenter);
    column->addWidget(
        label(QStringLiteral("Welcome to Quelto"), this, kLargeTitleSize, QFont::Bold), 0,
        Qt::AlignHCenter);
    column->addWidget(label(QStringLiteral("A scratchpad that's always one shortcut away."), this,
                            kSubtitleSize, QFont::Normal, true),
                      0, Qt::AlignHCenter);

    m_pressRow = new QWidget(this);
    // Read as the one sentence it shows.
    Accessible::setRole(m_pressRow, QAccessible::StaticText);
    auto* press = new QHBoxLayout(m_pressRow);
    press->setContentsMargins(0, 0, 0, 0);
    press->setSpacing(8);
    press->addWidget(label(QStringLiteral("Press"), m_pressRow, kBodySize, QFont::Normal, true));
    m_badge = new ShortcutBadge(shortcut.text(), m_pressRow);
    press->addWidget(m_badge);
    press->addWidget(label(QStringLiteral("to show or hide it, from any app."), m_pressRow,
                           kBodySize, QFont::Normal, true));
    for (QWidget* child : m_pressRow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        Accessible::hide(child);
    column->addWidget(m_pressRow, 0, Qt::AlignHCenter);
    m_noShortcut = label(QString(), this, kBodySize, QFont::Normal, true);
    m_noShortcut->setWordWrap(true);
    m_noShortcut->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_noShortcut);

    m_try = new QPushButton(QStringLiteral("Try it now"), this);
    GlassSurface::primaryButtonStyle(m_try, true);
    m_try->setAutoDefault(false);
    column->addWidget(m_try, 0, Qt::AlignHCenter);
    column->addStretch(1);

    connect(m_try, &QPushButton::clicked, this, &WelcomeStep::showPanelRequested);
    connect(&shortcut, &ShortcutDisplay::textChanged, this, &WelcomeStep::showShortcut);
    showShortcut(shortcut.text());
    showTray(!tray || tray->isAvailable());
    if (tray)
        connect(tray, &TrayHost::availableChanged, this, &WelcomeStep::showTray);
}

void WelcomeStep::showTray(bool shown)
{
    m_noShortcut->setText(QStringLiteral("Open it %1, or bind the command quelto --toggle to a "
                                         "key in your desktop's keyboard settings.")
                              .arg(shown ? QStringLiteral("from the tray icon")
                                         : QStringLiteral("by starting Quelto again from your "
                                                          "app launcher")));
}

void WelcomeStep::showShortcut(const QString& text)
{
    m_badge->setText(text);
    m_pressRow->setAccessibleName(
        QStringLiteral("Press %1 to show or hide it, from any app.").arg(text));
    m_pressRow->setVisible(!text.isEmpty());
    m_noShortcut->setVisible(text.isEmpty());
}

QList<OnboardingStep> onboardingSteps(const ShortcutDisplay& shortcut,
                                      std::function<void()> showPanel, const TrayHost* tray)
{
    // The display belongs to the application and outlives the onboarding window.
    const ShortcutDisplay* source = &shortcut;
    return {
        OnboardingStep{QStringLiteral("welcome"),
                       [source, showPanel, tray] {
                           auto* step = new WelcomeStep(*source, tray);
                           QObject::connect(step, &WelcomeStep::showPanelRequested, step,
                                            [showPanel] {
                                                if (showPanel)
                                                    showPanel();
                                            });
                           return static_cast<QWidget*>(step);
                       },
                       {}},
        OnboardingStep{QStringLiteral("tricks"), [] { return tricksStep(); }, {}},
    };
}

} // namespace quelto

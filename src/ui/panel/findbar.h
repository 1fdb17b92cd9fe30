// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The find row at the top of the editor: a field, how many matches there are and
// which one is shown, previous and next, and close; when searching every tab, the
// matches listed under it. Return and Shift+Return step through the matches, Up and
// Down through the list, Esc closes.

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;

namespace quelto {

class FindBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kListRows = 6;

    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* field() const { return m_field; }
    QLabel* count() const { return m_count; }
    QListWidget* results() const { return m_results; }
    // Its controls in the keyboard's order.
    QList<QWidget*> focusOrder() const;

signals:
    void queryChanged(const QString& query);
    void nextRequested();
    void previousRequested();
    // Return while a listed match is current.
    void resultChosen(int row);
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
    QLabel* m_count;
    QList<QWidget*> m_buttons;
    QListWidget* m_results;
};

} // namespace quelto

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the modal message boxes that code under test puts up, noting what they said.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace quelto::testing {

// Waits (up to five seconds) for the next modal message box, notes its texts, its
// buttons and its default button, then clicks the button titled `answer` (empty: the
// default; no such button: the box is rejected so the test goes on to fail).
inline std::shared_ptr<QStringList>
answerNextAlert(const QString& answer, std::shared_ptr<QStringList> said = {}, int triesLeft = 250)
{
    if (!said)
        said = std::make_shared<QStringList>();
    QTimer::singleShot(20, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (triesLeft > 0)
                answerNextAlert(answer, said, triesLeft - 1);
            return;
        }
        *said << box->text() << box->informativeText();
        QAbstractButton* chosen = answer.isEmpty() ? box->defaultButton() : nullptr;
        for (QAbstractButton* button : box->buttons()) {
            *said << button->text();
            if (button->text() == answer)
                chosen = button;
        }
        if (box->defaultButton())
            *said << QStringLiteral("default: ") + box->defaultButton()->text();
        chosen ? chosen->click() : box->reject();
    });
    return said;
}

} // namespace quelto::testing

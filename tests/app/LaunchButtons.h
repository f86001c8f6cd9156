// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QWidget>

#include <initializer_list>

// The buttons that start a job, which the window disables while one runs.
inline QList<QPushButton *> launchButtonsOf(const QWidget *window)
{
    QList<QPushButton *> buttons;
    for (const char *name : { "pBtn_AddColumn", "pBtn_AddRow", "pBtn_DeleteColumn", "pBtn_DeleteRow",
                              "pBtn_CopyFormula", "pBtn_FormulaToValue", "pBtn_HyperLinks", "pBtn_HyperlinksCell" })
        buttons += window->findChild<QPushButton *>(QLatin1String(name));
    return buttons;
}

inline int enabledCount(const QList<QPushButton *> &buttons)
{
    int enabled = 0;
    for (const QPushButton *button : buttons)
        enabled += button && button->isEnabled() ? 1 : 0;
    return enabled;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// Closes every modal message box that opens while it lives and remembers the
// last one's title and text, so code that asks the user can run unattended.
class ModalMessageCatcher : public QObject
{
    Q_OBJECT

public:
    ModalMessageCatcher();

    int count() const;
    QString title() const;
    QString text() const;

private:
    void closeOpenMessageBox();

    QTimer poll;
    int caught = 0;
    QString lastTitle;
    QString lastText;
};

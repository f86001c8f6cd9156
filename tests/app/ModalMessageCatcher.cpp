// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalMessageCatcher.h"

#include <QApplication>
#include <QMessageBox>

ModalMessageCatcher::ModalMessageCatcher()
{
    connect(&poll, &QTimer::timeout, this, &ModalMessageCatcher::closeOpenMessageBox);
    poll.start(10);
}

int ModalMessageCatcher::count() const
{
    return caught;
}

QString ModalMessageCatcher::title() const
{
    return lastTitle;
}

QString ModalMessageCatcher::text() const
{
    return lastText;
}

void ModalMessageCatcher::closeOpenMessageBox()
{
    auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    ++caught;
    lastTitle = box->windowTitle();
    lastText = box->text();
    box->done(0);
}

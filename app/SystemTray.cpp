// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SystemTray.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QMetaMethod>

SystemTray::SystemTray(QObject *parent)
    : QSystemTrayIcon(parent)
    , menu(new QMenu)
    , settingsAction(new QAction(tr("软件设置"), this))
    , undoAction(new QAction(tr("撤销上一次修改"), this))
    , quitAction(new QAction(tr("退出程序"), this))
{
    menu->addAction(settingsAction);
    menu->addAction(undoAction);
    menu->addAction(quitAction);
    setContextMenu(menu);
    setIcon(QIcon(QStringLiteral(":/images/vrq.ico")));
    setToolTip(QStringLiteral("Gridwrighter"));
    show();
    connect(settingsAction, &QAction::triggered, this, &SystemTray::ShowUi);
    connect(quitAction, &QAction::triggered, this, &SystemTray::UiQuit);
    connect(undoAction, &QAction::triggered, this, &SystemTray::undoRequested);
}

// The menu has no parent (a tray menu cannot be a child of a non-widget).
SystemTray::~SystemTray()
{
    delete menu;
}

void SystemTray::UiQuit()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&SystemTray::quitRequested)))
        emit quitRequested();
    else
        QCoreApplication::quit();
}

void SystemTray::ShowUi()
{
    emit showWidget();
}

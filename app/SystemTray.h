// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSystemTrayIcon>

class QAction;
class QMenu;

// The notification-area icon with a menu to bring the window back, undo the
// last job or quit.
class SystemTray : public QSystemTrayIcon
{
    Q_OBJECT

public:
    explicit SystemTray(QObject *parent = nullptr);
    ~SystemTray() override;

signals:
    void showWidget();
    // Quitting waits for the window's consent when it has one: a job may run.
    void quitRequested();
    void undoRequested();

public slots:
    void UiQuit();
    void ShowUi();

private:
    QMenu *menu;
    QAction *settingsAction;
    QAction *undoAction;
    QAction *quitAction;
};

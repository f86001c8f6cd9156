// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainWindow.h"
#include "app/ProgramPaths.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

// A test class whose functions each get a fresh window over an absent
// settings file: opened in init, closed in cleanup.
class WindowTestCase : public QObject
{
protected:
    void openWindow()
    {
        ProgramPaths::settingsFilePath = directory.filePath(QStringLiteral("absent.vrq"));
        window = std::make_unique<MainWindow>(nullptr);
    }

    template <typename T>
    T *child(const char *name)
    {
        return window->findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir directory;
    std::unique_ptr<MainWindow> window;
};

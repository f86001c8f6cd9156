// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A sleeping process of the test's own, under an image name nothing else on
// the machine carries, so tests that end processes never touch real ones.
class DummyProcess
{
public:
    // A fresh name longer than the kernel's 15-character comm.
    static QString uniqueImageName();

    explicit DummyProcess(const QString &imageName);
    ~DummyProcess();

    bool isRunning() const;
    qint64 processId() const;
    // Waits until the process has ended (after another party killed it).
    bool waitUntilEnded();
    // Deletes the executable while the process keeps running.
    bool removeExecutable();

private:
    QTemporaryDir directory;
    QString executablePath;
    QProcess process;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "DummyProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QUuid>

QString DummyProcess::uniqueImageName()
{
    return QStringLiteral("gw-dummy-") + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

DummyProcess::DummyProcess(const QString &imageName)
    : executablePath(directory.filePath(imageName))
{
    if (!QFile::copy(QStringLiteral("/bin/sleep"), executablePath))
        return;
    QFile::setPermissions(executablePath, QFile::ReadOwner | QFile::ExeOwner);
    process.start(executablePath, { QStringLiteral("600") });
    process.waitForStarted();
}

DummyProcess::~DummyProcess()
{
    if (isRunning()) {
        process.kill();
        process.waitForFinished();
    }
}

bool DummyProcess::isRunning() const
{
    return process.state() == QProcess::Running;
}

qint64 DummyProcess::processId() const
{
    return process.processId();
}

bool DummyProcess::waitUntilEnded()
{
    return process.waitForFinished() || !isRunning();
}

bool DummyProcess::removeExecutable()
{
    return QFile::remove(executablePath);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// gridwrighter-batch run to its end as a script runs it, and the digest that
// tells a file untouched: what the tests of the real command share.

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QStringList>

struct BatchRun
{
    int status = -1; // -1 when it crashed or did not end in time
    QString output;
    QString errors;

    QStringList lines() const { return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

inline BatchRun runBatch(const QStringList &arguments,
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                         const QString &workingDirectory = QString())
{
    QProcess batch;
    batch.setProcessEnvironment(environment);
    batch.setWorkingDirectory(workingDirectory);
    batch.start(QStringLiteral(GRIDWRIGHTER_BATCH), arguments);
    BatchRun run;
    if (!batch.waitForFinished(300000)) {
        batch.kill();
        batch.waitForFinished();
        return run;
    }
    run.status = batch.exitStatus() == QProcess::NormalExit ? batch.exitCode() : -1;
    run.output = QString::fromLocal8Bit(batch.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(batch.readAllStandardError());
    return run;
}

inline QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

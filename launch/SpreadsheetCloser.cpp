// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/SpreadsheetCloser.h"

#include "platform/ProcessUtilities.h"

#include <QElapsedTimer>
#include <QThread>

SpreadsheetCloser::SpreadsheetCloser()
    : count(countProcesses)
    , terminate(terminateFirstProcess)
{
}

void SpreadsheetCloser::setProcessFunctions(Counter counter, Terminator terminator)
{
    count = std::move(counter);
    terminate = std::move(terminator);
}

QString SpreadsheetCloser::closeAll(const QStringList &imageNames) const
{
    for (const QString &imageName : imageNames) {
        if (!closeAllCopiesOf(imageName))
            return imageName;
    }
    return QString();
}

bool SpreadsheetCloser::closeAllCopiesOf(const QString &imageName) const
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (int round = 0; round < maximumRounds && elapsed.elapsed() < millisecondsPerProgram; ++round) {
        if (count(imageName) == 0)
            return true;
        // It may also have ended on its own since it was counted.
        if (!terminate(imageName))
            return count(imageName) == 0;
        // A killed process lingers until the kernel has torn it down.
        QThread::msleep(pauseMilliseconds);
    }
    return count(imageName) == 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Ends every running copy of the given programs, giving up in an orderly way
// on one that will not end.
class SpreadsheetCloser
{
public:
    using Counter = std::function<int(const QString &imageName)>;
    using Terminator = std::function<bool(const QString &imageName)>;

    // Rounds and time per program are bounded so a process that survives
    // being killed cannot hang the window.
    static constexpr int maximumRounds = 50;
    static constexpr int millisecondsPerProgram = 10000;
    static constexpr int pauseMilliseconds = 50;

    SpreadsheetCloser();

    // Tests simulate processes that resist being ended.
    void setProcessFunctions(Counter counter, Terminator terminator);

    // The first image name with copies still running, or empty when all ended.
    QString closeAll(const QStringList &imageNames) const;

private:
    bool closeAllCopiesOf(const QString &imageName) const;

    Counter count;
    Terminator terminate;
};

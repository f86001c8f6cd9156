// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/ProgressLine.h"

#include <QMutex>
#include <QSet>
#include <QString>
#include <QTextStream>

// How a job's status texts reach standard output. Lines: every text on its
// own line, for pipes and logs. Terminal: the workbook progress texts become
// one updating line, the other texts are printed above it. Quiet: only the
// closing text. Safe to call from the worker's thread and the main thread.
class StatusPrinter
{
public:
    enum Mode { Lines, Terminal, Quiet };

    StatusPrinter(QTextStream &out, Mode mode, int candidates);

    void text(const QString &text);
    void workbookStarted(const QString &nativePath);
    // Redraws the progress line, so that its clock moves during a long workbook.
    void refresh();
    // The job's end signal: the last text before it was the closing text.
    void jobEnded();

private:
    bool isProgressText(const QString &text) const;
    void printLine(const QString &text);
    void drawProgress();
    void clearProgress();

    QTextStream &m_out;
    const Mode m_mode;
    ProgressLine m_progress;
    QSet<QString> m_started; // the workbooks met so far
    // The latest text that is not a workbook's progress, held back in case it
    // is the closing text: printed when the next text or workbook comes, or at
    // the end after the finished progress line.
    QString m_held;
    bool m_ended = false;
    QMutex m_mutex;
};

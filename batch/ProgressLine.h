// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>

// The one line a job keeps updating on a terminal: the workbooks done of the
// candidates counted before the job, the time since the first workbook, an
// estimate of the time left, and the workbook in hand.
class ProgressLine
{
public:
    explicit ProgressLine(int candidates);

    void startWorkbook(const QString &path);
    // Every workbook reached is done: the job has ended.
    void finish();

    // The line fitted into this many terminal columns, the path shortened
    // from its left.
    QString text(int columns) const;

private:
    int done() const;

    const int m_candidates;
    int m_started = 0;
    bool m_finished = false;
    QString m_path;
    QElapsedTimer m_sinceFirst;
};

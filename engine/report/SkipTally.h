// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMutex>
#include <QSet>
#include <QString>

// The places a job passed over, counted for its closing text. Each kind of
// reason is shown once per job, the first time it happens, so that a folder
// of hundreds of workbooks does not flood the status line. Shared by the
// workers of a job that runs several applications at once; each reports the
// texts itself, in the order of its own workbooks.
class SkipTally
{
public:
    // The text to report, or a null string when the reason was shown before.
    QString skip(const QString &where, const QString &reason);

    int count() const;
    QString firstReason() const;

private:
    mutable QMutex m_mutex;
    QSet<QString> m_reasonsShown;
    QString m_firstReason;
    int m_count = 0;
};

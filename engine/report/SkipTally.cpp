// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/report/SkipTally.h"

#include <QCoreApplication>

QString SkipTally::skip(const QString &where, const QString &reason)
{
    {
        const QMutexLocker locker(&m_mutex);
        ++m_count;
        if (m_firstReason.isEmpty())
            m_firstReason = reason;
        if (m_reasonsShown.contains(reason))
            return QString();
        m_reasonsShown.insert(reason);
    }
    return QCoreApplication::translate("Engine", "Left unchanged: %1: %2").arg(where, reason);
}

int SkipTally::count() const
{
    const QMutexLocker locker(&m_mutex);
    return m_count;
}

QString SkipTally::firstReason() const
{
    const QMutexLocker locker(&m_mutex);
    return m_firstReason;
}

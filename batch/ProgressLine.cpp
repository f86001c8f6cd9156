// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ProgressLine.h"

namespace {

QString clockText(qint64 milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutesAndSeconds;
    return QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesAndSeconds.rightJustified(5, QLatin1Char('0')));
}

// East Asian characters take two columns of a terminal.
int columnsOf(QChar c)
{
    return c.unicode() >= 0x1100 && (c.unicode() <= 0x115f || c.unicode() >= 0x2e80) ? 2 : 1;
}

int columnsOf(const QString &text)
{
    int columns = 0;
    for (const QChar c : text)
        columns += columnsOf(c);
    return columns;
}

QString keepRight(const QString &text, int columns)
{
    if (columnsOf(text) <= columns)
        return text;
    const QString ellipsis = QStringLiteral("...");
    int used = ellipsis.size();
    int from = text.size();
    while (from > 0 && used + columnsOf(text.at(from - 1)) <= columns)
        used += columnsOf(text.at(--from));
    return columns < ellipsis.size() ? QString() : ellipsis + text.mid(from);
}

} // namespace

ProgressLine::ProgressLine(int candidates)
    : m_candidates(candidates)
{
}

void ProgressLine::startWorkbook(const QString &path)
{
    if (m_started == 0)
        m_sinceFirst.start();
    ++m_started;
    m_path = path;
}

void ProgressLine::finish()
{
    m_finished = true;
    m_path.clear();
}

int ProgressLine::done() const
{
    return m_finished ? m_started : qMax(0, m_started - 1);
}

QString ProgressLine::text(int columns) const
{
    const qint64 elapsed = m_started > 0 ? m_sinceFirst.elapsed() : 0;
    QString line = QStringLiteral("[%1/%2] %3 elapsed").arg(done()).arg(m_candidates).arg(clockText(elapsed));
    if (!m_finished) {
        const int left = m_candidates - done();
        line += done() > 0 ? QStringLiteral(", about %1 left").arg(clockText(elapsed / done() * left))
                           : QStringLiteral(", time left unknown");
    }
    if (!m_path.isEmpty())
        line += QStringLiteral("  ") + m_path;
    const int lineColumns = columnsOf(line);
    if (lineColumns < columns)
        return line;
    const int pathColumns = columnsOf(m_path);
    const QString head = line.left(line.size() - m_path.size());
    return head + keepRight(m_path, columns - 1 - (lineColumns - pathColumns));
}

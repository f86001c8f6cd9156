// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/StatusPrinter.h"

#include "platform/Console.h"

#include <QMutexLocker>
#include <QRegularExpression>

StatusPrinter::StatusPrinter(QTextStream &out, Mode mode, int candidates)
    : m_out(out)
    , m_mode(mode)
    , m_progress(candidates)
{
}

void StatusPrinter::text(const QString &text)
{
    QMutexLocker locker(&m_mutex);
    if (m_mode == Lines || m_ended) {
        printLine(text);
        return;
    }
    if (isProgressText(text)) {
        if (m_mode == Terminal)
            drawProgress();
        return;
    }
    if (m_mode == Terminal && !m_held.isNull())
        printLine(m_held);
    m_held = text;
}

void StatusPrinter::workbookStarted(const QString &nativePath)
{
    QMutexLocker locker(&m_mutex);
    m_started.insert(nativePath);
    m_progress.startWorkbook(nativePath);
    if (m_mode != Terminal)
        return;
    // The held text was not the closing one.
    if (!m_held.isNull())
        printLine(m_held);
    m_held = QString();
    drawProgress();
}

void StatusPrinter::refresh()
{
    QMutexLocker locker(&m_mutex);
    if (m_mode == Terminal && !m_ended)
        drawProgress();
}

void StatusPrinter::jobEnded()
{
    QMutexLocker locker(&m_mutex);
    if (m_mode == Terminal) {
        m_progress.finish();
        drawProgress();
        m_out << '\n';
    }
    m_ended = true;
    if (!m_held.isNull())
        printLine(m_held);
    m_held = QString();
}

// The frame's "N  path" and the formula fill's "N  path  row", for any
// workbook started: several may be in hand at once.
bool StatusPrinter::isProgressText(const QString &text) const
{
    static const QRegularExpression numbered(QStringLiteral("^\\d+  (.+)$"));
    static const QRegularExpression row(QStringLiteral("  \\d+$"));
    const QRegularExpressionMatch match = numbered.match(text);
    if (!match.hasMatch())
        return false;
    const QString rest = match.captured(1);
    return m_started.contains(rest) || m_started.contains(QString(rest).remove(row));
}

void StatusPrinter::printLine(const QString &text)
{
    const bool overProgress = m_mode == Terminal && !m_ended;
    if (overProgress)
        clearProgress();
    m_out << text << '\n';
    if (overProgress)
        drawProgress();
    m_out.flush();
}

void StatusPrinter::drawProgress()
{
    clearProgress();
    m_out << m_progress.text(consoleColumns());
    m_out.flush();
}

void StatusPrinter::clearProgress()
{
    m_out << clearLineText();
}

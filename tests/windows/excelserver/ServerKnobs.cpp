// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerKnobs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <windows.h>

namespace {

QString knob(const char *name)
{
    return qEnvironmentVariable(name);
}

QElapsedTimer &busyClock()
{
    static QElapsedTimer clock;
    return clock;
}

} // namespace

void ServerKnobs::log(const QString &line)
{
    const QString path = knob("GRIDWRIGHTER_EXCEL_LOG");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::Append))
        file.write(QStringLiteral("%1 %2\n").arg(GetCurrentProcessId()).arg(line).toUtf8());
}

bool ServerKnobs::busy()
{
    const int seconds = knob("GRIDWRIGHTER_EXCEL_BUSY_SECONDS").toInt();
    return seconds > 0 && busyClock().isValid() && busyClock().elapsed() < seconds * 1000;
}

void ServerKnobs::startBusyClock()
{
    if (!busyClock().isValid() && knob("GRIDWRIGHTER_EXCEL_BUSY_SECONDS").toInt() > 0) {
        busyClock().start();
        log(QStringLiteral("BUSY from now"));
    }
}

void ServerKnobs::maybeDieOpening(const QString &path)
{
    const QString name = knob("GRIDWRIGHTER_EXCEL_DIE_OPENING");
    if (name.isEmpty() || QFileInfo(path).fileName() != name)
        return;
    QFile died(knob("GRIDWRIGHTER_EXCEL_LOG") + QStringLiteral(".died"));
    if (died.exists() || !died.open(QIODevice::WriteOnly))
        return;
    died.close();
    log(QStringLiteral("DIED opening %1").arg(path));
    ExitProcess(3);
}

void ServerKnobs::blockOnPrompt(const QString &what)
{
    log(QStringLiteral("PROMPT %1").arg(what));
    const QString seconds = knob("GRIDWRIGHTER_EXCEL_PROMPT_SECONDS");
    Sleep(DWORD(seconds.isEmpty() ? 15 : seconds.toInt()) * 1000);
    log(QStringLiteral("PROMPT cancelled: %1").arg(what));
}

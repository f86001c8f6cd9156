// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/report/TextViewer.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

bool showInTextViewer(const QString &path)
{
    const QString nativePath = QDir::toNativeSeparators(path);
    const QString chosen =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("GRIDWRIGHTER_TEXT_VIEWER"));
    if (!chosen.isEmpty())
        return QProcess::startDetached(chosen, {nativePath});
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {nativePath});
#else
    return QProcess::startDetached(QStringLiteral("xdg-open"), {nativePath});
#endif
}

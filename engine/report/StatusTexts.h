// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The texts a job shows in the window's status line.
namespace StatusTexts {

QString applicationCreated();
QString workbooksRequested();
QString noApplication();
QString progress(int count, const QString &path);
QString rowProgress(int count, const QString &path, int row);
QString finished(int count);
QString listFileNotWritten(const QString &path);
QString listFileNotShown(const QString &path);
QString stopped();
QString backupKept(const QString &folder);
QString dryRun();
QString folderTaken(const QString &holder);

} // namespace StatusTexts

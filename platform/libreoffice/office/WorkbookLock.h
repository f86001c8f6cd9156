// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The lock file LibreOffice keeps beside a workbook it has open for editing
// (".~lock.NAME#"), recording who holds it: user, host and profile.
namespace WorkbookLock {

QString pathOf(const QString &workbook);

// True when nothing but the soffice of ownProfile holds the workbook. A lock
// left by a run of this program that has ended (its profile no longer used by
// any process of this host) is removed; any other lock is respected and
// described in holder.
bool isFree(const QString &workbook, const QString &ownProfile, QString *holder);

} // namespace WorkbookLock

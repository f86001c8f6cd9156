// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Keeping a file under a second name and putting it back, for the backups of
// the workbooks a job replaces, and writing their manifest whole.

// Gives the file original the second name copy. A hard link costs nothing and
// keeps the original's bytes, since a save renames a new file over the old
// one; where no link can be made (another file system) it is copied. Empty,
// or why it could not be kept.
QString keepFileAs(const QString &original, const QString &copy);

// Replaces target by the file source in one step: source is kept beside
// target under a hidden name, then renamed over it, so that target is at
// every moment either the old file or the whole new one. Empty, or why not.
QString replaceFileWith(const QString &target, const QString &source);

// Writes bytes into a file beside path, flushes it to disk and renames it over
// path, so that path holds either what it held or the whole new bytes, even
// across a crash. False, with path as it was, when any step fails (a full
// disk).
bool writeWholeFile(const QString &path, const QByteArray &bytes);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// What one job's backup holds, kept beside the originals in its folder: the
// edit and its arguments, and for each workbook the job saved its path below
// the chosen folder with the checksums of the original and of what the job
// wrote.
struct BackupManifest
{
    struct Workbook
    {
        QString path; // relative to the chosen folder, with "/"
        QString original;
        QString written;
    };

    QDateTime time;
    QStringList edit; // the edit's name, then its arguments
    QVector<Workbook> workbooks;
    // Undone, with some workbooks left as they were because they had changed
    // since; their originals stay for the user.
    bool undone = false;

    static QString fileName();

    // Replaces the manifest in folder whole. False when it cannot be written.
    bool write(const QString &folder) const;
    // False when folder holds no readable manifest.
    bool read(const QString &folder);
};

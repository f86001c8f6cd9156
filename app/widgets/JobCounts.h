// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookResult.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// How a job's workbooks ended, counted by outcome: the true counts, where the
// job's closing text counts every workbook handled, opened or not.
struct JobCounts
{
    int total = 0;
    int edited = 0;
    int editedSheetsSkipped = 0; // edited, but some selected sheets were passed over
    int untouched = 0;
    int notOpened = 0;
    int notSaved = 0;

    static JobCounts of(const QVector<WorkbookResult> &workbooks);

    // For the user; in a dry run what would happen.
    QString text(bool dryRun) const;

    // Kept in the settings file as numbers separated by commas.
    QByteArray toSetting() const;
    static JobCounts fromSetting(const QByteArray &setting);
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/SheetCellCounts.h"
#include "fileformats/SheetOutline.h"
#include "fileformats/StoredRowRuns.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <optional>

class ZipArchive;

// What opening an Office Open XML workbook reads from its file before the
// workbook is loaded: whether loading would cut or repair it
// (LoadSoundness::ooxmlProblem), how many cells each sheet holds
// (SheetCellCounts::ofOoxml), the row heights each part stores
// (StoredRowRuns) and each sheet's outline for the put-backs after storing
// (SheetOutline). Each XML part is inflated and read once for all three: a
// sheet part may be tens of megabytes.
class WorkbookSurvey
{
public:
    explicit WorkbookSurvey(const ZipArchive &archive);

    // The reason to refuse the workbook, or empty.
    QString problem() const { return m_problem; }
    // Only whole where there is no problem: reading stops at a part refused.
    const std::optional<QVector<SheetCellCount>> &cellCounts() const { return m_cellCounts; }
    // The runs of rows the part stores a height for; none for a part that
    // stores none, or was not read (not named as XML, nor counted in).
    QVector<StoredRowRuns::Run> storedRowRuns(const QString &part) const { return m_rowRuns.value(part); }
    // By part, for the parts read whole whose sheetData was.
    QHash<QString, SheetOutline> sheetOutlines() const { return m_outlines; }

private:
    QString m_problem;
    std::optional<QVector<SheetCellCount>> m_cellCounts;
    QHash<QString, QVector<StoredRowRuns::Run>> m_rowRuns;
    QHash<QString, SheetOutline> m_outlines;
};

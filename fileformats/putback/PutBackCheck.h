// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/ZipArchive.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>

// What the put-backs wrote, read back before it is kept, as a save is:
// against the package LibreOffice stored, the parts they changed must be
// well-formed XML whose prefixes (those markup compatibility names too) are
// bound, with a content type, relationships whose parts exist, names that
// no other part has in another case, and worksheets whose children keep
// their order and whose cells (places, types, values, formulas) are those
// LibreOffice wrote.
class PutBackCheck
{
public:
    explicit PutBackCheck(const ZipArchive &stored);

    // Why output is worse than the stored package, or empty.
    QString problem(const ZipArchive &output, const QStringList &changed);

private:
    QString partProblem(const ZipArchive &output, const QString &name, const QByteArray &types);
    QString sheetProblem(const QString &name, const QByteArray &content);

    const ZipArchive m_stored;
    QHash<QString, bool> m_sheetParts; // worksheet part -> whether its children were in order
    QHash<QString, QPair<QByteArray, int>> m_storedCells;
};

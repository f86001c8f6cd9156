// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/CellHyperlinkEdit.h"

#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <memory>

#include <QCoreApplication>

QString CellHyperlinkEdit::inputProblem() const
{
    if (!isRangeAddress(JobSettings::linkCell))
        return QCoreApplication::translate("Engine", "Fill in the cell for the link, such as A1 or B2:D2");
    // A link to nowhere would replace the links already in the cell.
    if (JobSettings::linkAddress.isEmpty() && JobSettings::linkSubAddress.isEmpty())
        return QCoreApplication::translate("Engine", "Fill in a web address or file path, or a place in the document");
    return QString();
}

QStringList CellHyperlinkEdit::description() const
{
    QStringList description{QStringLiteral("cell-link"), JobSettings::linkCell};
    if (!JobSettings::linkAddress.isEmpty())
        description << QStringLiteral("--address") << JobSettings::linkAddress;
    if (!JobSettings::linkSubAddress.isEmpty())
        description << QStringLiteral("--sub-address") << JobSettings::linkSubAddress;
    if (!JobSettings::linkText.isEmpty())
        description << QStringLiteral("--text") << JobSettings::linkText;
    return description;
}

void CellHyperlinkEdit::editSheet(AxObject *sheet, JobContext &job)
{
    std::unique_ptr<AxObject> links(sheet->querySubObject("Hyperlinks()"));
    std::unique_ptr<AxObject> range(
        sheet->querySubObject("Range(const QVariant&)", QVariant(JobSettings::linkCell)));
    if (!links || !range) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the cell \"%1\" is not understood").arg(JobSettings::linkCell));
        return;
    }
    if (std::unique_ptr<AxObject> old{range->querySubObject("Hyperlinks()")})
        old->dynamicCall("Delete()");
    if (JobSettings::linkText != QString())
        range->dynamicCall("SetValue(const QVariant&)", QVariant(JobSettings::linkText));
    links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range->asVariant(),
                       QVariant(JobSettings::linkAddress), QVariant(JobSettings::linkSubAddress));
}

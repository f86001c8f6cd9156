// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/CellHyperlinkEdit.h"

#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <memory>

QString CellHyperlinkEdit::inputProblem() const
{
    if (!isRangeAddress(JobSettings::linkCell))
        return QStringLiteral("请填写要插入超链接的单元格，如 A1 或 B2:D2");
    // A link to nowhere would replace the links already in the cell.
    if (JobSettings::linkAddress.isEmpty() && JobSettings::linkSubAddress.isEmpty())
        return QStringLiteral("请填写网址或文件路径，或文档中的位置");
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
        job.skipSheet(sheet, QStringLiteral("无法识别单元格“%1”").arg(JobSettings::linkCell));
        return;
    }
    if (std::unique_ptr<AxObject> old{range->querySubObject("Hyperlinks()")})
        old->dynamicCall("Delete()");
    if (JobSettings::linkText != QString())
        range->dynamicCall("SetValue(const QVariant&)", QVariant(JobSettings::linkText));
    links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range->asVariant(),
                       QVariant(JobSettings::linkAddress), QVariant(JobSettings::linkSubAddress));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/CellHyperlinkEdit.h"

#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <memory>

CellHyperlinkEdit::CellHyperlinkEdit()
    : m_cell(JobSettings::linkCell)
    , m_address(JobSettings::linkAddress)
    , m_subAddress(JobSettings::linkSubAddress)
    , m_text(JobSettings::linkText)
{
}

QString CellHyperlinkEdit::inputProblem() const
{
    if (!isRangeAddress(m_cell))
        return QStringLiteral("请填写要插入超链接的单元格，如 A1 或 B2:D2");
    // A link to nowhere would replace the links already in the cell.
    if (m_address.isEmpty() && m_subAddress.isEmpty())
        return QStringLiteral("请填写网址或文件路径，或文档中的位置");
    return QString();
}

QStringList CellHyperlinkEdit::description() const
{
    QStringList description{QStringLiteral("cell-link"), m_cell};
    if (!m_address.isEmpty())
        description << QStringLiteral("--address") << m_address;
    if (!m_subAddress.isEmpty())
        description << QStringLiteral("--sub-address") << m_subAddress;
    if (!m_text.isEmpty())
        description << QStringLiteral("--text") << m_text;
    return description;
}

void CellHyperlinkEdit::editSheet(AxObject *sheet, JobContext &job)
{
    std::unique_ptr<AxObject> links(sheet->querySubObject("Hyperlinks()"));
    std::unique_ptr<AxObject> range(
        sheet->querySubObject("Range(const QVariant&)", QVariant(m_cell)));
    if (!links || !range) {
        job.skipSheet(sheet, QStringLiteral("无法识别单元格“%1”").arg(m_cell));
        return;
    }
    if (std::unique_ptr<AxObject> old{range->querySubObject("Hyperlinks()")})
        old->dynamicCall("Delete()");
    if (m_text != QString())
        range->dynamicCall("SetValue(const QVariant&)", QVariant(m_text));
    links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range->asVariant(),
                       QVariant(m_address), QVariant(m_subAddress));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/CellHyperlinkEdit.h"

#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <memory>

#include <QCoreApplication>

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
        return QCoreApplication::translate("Engine", "Fill in the cell for the link, such as A1 or B2:D2");
    // A link to nowhere would replace the links already in the cell.
    if (m_address.isEmpty() && m_subAddress.isEmpty())
        return QCoreApplication::translate("Engine", "Fill in a web address or file path, or a place in the document");
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
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the cell \"%1\" is not understood").arg(m_cell));
        return;
    }
    if (std::unique_ptr<AxObject> old{range->querySubObject("Hyperlinks()")})
        old->dynamicCall("Delete()");
    if (m_text != QString())
        range->dynamicCall("SetValue(const QVariant&)", QVariant(m_text));
    links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range->asVariant(),
                       QVariant(m_address), QVariant(m_subAddress));
}

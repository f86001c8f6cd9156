// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/formulafill/ScratchSheet.h"

#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/UnoStrings.h"
#include "platform/libreoffice/document/WorkbookProtection.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XProtectable.hpp>

using namespace css;

namespace {

// A name no sheet has: LibreOffice refuses a taken one.
OUString freeName(const uno::Reference<sheet::XSpreadsheets> &sheets)
{
    for (int number = 1;; ++number) {
        const OUString name = "FillScratch" + OUString::number(number);
        if (!sheets->hasByName(name))
            return name;
    }
}

bool isStructureLocked(CalcDocument &document)
{
    const uno::Reference<util::XProtectable> protection(document.document(), uno::UNO_QUERY);
    return (protection.is() && protection->isProtected()) || hasLockedStructure(document.path());
}

} // namespace

std::unique_ptr<ScratchSheet> ScratchSheet::append(CalcDocument &document)
{
    if (isStructureLocked(document))
        return nullptr;
    const uno::Reference<sheet::XSpreadsheets> sheets = document.sheets();
    const uno::Reference<container::XIndexAccess> byIndex(sheets, uno::UNO_QUERY_THROW);
    const bool wasModified = document.isModified();
    const OUString name = freeName(sheets);
    const sal_Int16 index = sal_Int16(byIndex->getCount());
    try {
        sheets->insertNewByName(name, index);
    } catch (const uno::RuntimeException &) {
        return nullptr;
    }
    const uno::Reference<sheet::XSpreadsheet> sheet(byIndex->getByIndex(index), uno::UNO_QUERY_THROW);
    return std::unique_ptr<ScratchSheet>(new ScratchSheet(document, name, sheet, index, wasModified));
}

ScratchSheet::ScratchSheet(CalcDocument &document, OUString name, uno::Reference<sheet::XSpreadsheet> sheet,
                           sal_Int16 index, bool wasModified)
    : m_document(document)
    , m_name(std::move(name))
    , m_sheet(std::move(sheet))
    , m_index(index)
    , m_wasModified(wasModified)
{
}

ScratchSheet::~ScratchSheet()
{
    // On the way out of a failure, which is the one to report; a soffice
    // that died took the sheet with it.
    if (m_removed)
        return;
    try {
        remove();
    } catch (...) {
    }
}

void ScratchSheet::remove()
{
    m_removed = true;
    m_document.sheets()->removeByName(m_name);
    if (!m_wasModified)
        uno::Reference<util::XModifiable>(m_document.document(), uno::UNO_QUERY_THROW)->setModified(false);
}

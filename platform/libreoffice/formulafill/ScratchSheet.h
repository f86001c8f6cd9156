// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <rtl/ustring.hxx>

#include <memory>

class CalcDocument;

// A sheet of default-formatted cells appended to a document for a moment of
// work and removed again, so that the document's sheets and its modified
// state are as they were: it never reaches a saved file.
class ScratchSheet
{
public:
    // Empty when no sheet may be added: a protected workbook structure, or a
    // document that refuses a new sheet.
    static std::unique_ptr<ScratchSheet> append(CalcDocument &document);
    ~ScratchSheet();

    // Fails (as the call that failed) when the sheet cannot be removed: the
    // document must not be saved with it.
    void remove();

    ScratchSheet(const ScratchSheet &) = delete;
    ScratchSheet &operator=(const ScratchSheet &) = delete;

    const css::uno::Reference<css::sheet::XSpreadsheet> &sheet() const { return m_sheet; }
    sal_Int16 index() const { return m_index; }

private:
    ScratchSheet(CalcDocument &document, rtl::OUString name, css::uno::Reference<css::sheet::XSpreadsheet> sheet,
                 sal_Int16 index, bool wasModified);

    CalcDocument &m_document;
    rtl::OUString m_name;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
    sal_Int16 m_index;
    bool m_wasModified;
    bool m_removed = false;
};

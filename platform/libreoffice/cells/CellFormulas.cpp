// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/cells/CellFormulas.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/cells/SheetAreas.h"
#include "platform/libreoffice/UnoStrings.h"

#include <QCoreApplication>
#include <QLocale>

#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XFormulaTokens.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>

using namespace css;

namespace {

// The parser takes a missing ")" or an unterminated string without a word,
// so those are caught before it sees the text.
bool isBalanced(const QString &formula)
{
    int depth = 0;
    bool inString = false;
    bool inSheetName = false;
    for (const QChar character : formula) {
        if (inString) {
            inString = character != QLatin1Char('"');
        } else if (inSheetName) {
            inSheetName = character != QLatin1Char('\'');
        } else if (character == QLatin1Char('"')) {
            inString = true;
        } else if (character == QLatin1Char('\'')) {
            inSheetName = true;
        } else if (character == QLatin1Char('(')) {
            ++depth;
        } else if (character == QLatin1Char(')') && --depth < 0) {
            return false;
        }
    }
    return depth == 0 && !inString && !inSheetName;
}

// The errors LibreOffice gives a formula it could not compile (Err:501,
// Err:507-513, Err:520); results such as #DIV/0! or #NAME? are not refusals.
bool isCompileError(sal_Int32 code)
{
    return code == 501 || (code >= 507 && code <= 513) || code == 520;
}

const sal_Int32 contentFlags = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING
                               | sheet::CellFlags::FORMULA;

void clearContent(const uno::Reference<table::XCell> &cell)
{
    const uno::Reference<sheet::XSheetOperation> operation(cell, uno::UNO_QUERY_THROW);
    operation->clearContents(contentFlags);
}

void setText(const uno::Reference<table::XCell> &cell, const QString &text)
{
    const uno::Reference<text::XText> cellText(cell, uno::UNO_QUERY_THROW);
    cellText->setString(toOUString(text));
}

// What a cell held, to put back when a formula is refused.
class CellContent
{
public:
    explicit CellContent(const uno::Reference<table::XCell> &cell)
        : m_cell(cell)
        , m_type(cell->getType())
    {
        if (m_type == table::CellContentType_VALUE)
            m_value = cell->getValue();
        else if (m_type == table::CellContentType_TEXT)
            m_text = uno::Reference<text::XText>(cell, uno::UNO_QUERY_THROW)->getString();
        else if (m_type == table::CellContentType_FORMULA)
            m_tokens = uno::Reference<sheet::XFormulaTokens>(cell, uno::UNO_QUERY_THROW)->getTokens();
    }

    void restore() const
    {
        switch (m_type) {
        case table::CellContentType_VALUE:
            m_cell->setValue(m_value);
            break;
        case table::CellContentType_TEXT:
            uno::Reference<text::XText>(m_cell, uno::UNO_QUERY_THROW)->setString(m_text);
            break;
        case table::CellContentType_FORMULA:
            uno::Reference<sheet::XFormulaTokens>(m_cell, uno::UNO_QUERY_THROW)->setTokens(m_tokens);
            break;
        default:
            clearContent(m_cell);
        }
    }

private:
    uno::Reference<table::XCell> m_cell;
    table::CellContentType m_type;
    double m_value = 0;
    OUString m_text;
    uno::Sequence<sheet::FormulaToken> m_tokens;
};

void writeConstant(const uno::Reference<table::XCell> &cell, const QString &text)
{
    if (text.isEmpty()) {
        clearContent(cell);
        return;
    }
    bool isNumber = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &isNumber);
    if (isNumber)
        cell->setValue(number);
    else
        setText(cell, text);
}

} // namespace

namespace CellFormulas {

void write(CalcDocument &document, const uno::Reference<sheet::XSpreadsheet> &sheet,
           const table::CellRangeAddress &area, const QString &text, FormulaParsers::Notation notation)
{
    const auto cells = SheetAreas::workingArea(sheet, area, document.grid());
    if (!cells)
        return;
    const uno::Reference<table::XCellRange> range = SheetAreas::cellRange(sheet, *cells);
    const int rows = cells->EndRow - cells->StartRow + 1;
    const int columns = cells->EndColumn - cells->StartColumn + 1;
    if (!text.startsWith(QLatin1Char('='))) {
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column)
                writeConstant(range->getCellByPosition(column, row), text);
        }
        return;
    }
    if (!isBalanced(text))
        fail(QCoreApplication::translate("Engine", "unbalanced parentheses or quotes in %1").arg(text));
    // Parsed once for the first cell; the same tokens in the other cells
    // shift their relative references as a copy would.
    const table::CellAddress first(cells->Sheet, cells->StartColumn, cells->StartRow);
    const uno::Sequence<sheet::FormulaToken> tokens = document.formulaParsers().parse(text, notation, first);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const uno::Reference<table::XCell> cell = range->getCellByPosition(column, row);
            const CellContent previous(cell);
            uno::Reference<sheet::XFormulaTokens>(cell, uno::UNO_QUERY_THROW)->setTokens(tokens);
            if (isCompileError(cell->getError())) {
                previous.restore();
                fail(QCoreApplication::translate("Engine", "not a formula LibreOffice understands: %1").arg(text));
            }
        }
    }
}

QString readR1C1(CalcDocument &document, const uno::Reference<sheet::XSpreadsheet> &sheet,
                 const table::CellAddress &address)
{
    const uno::Reference<table::XCell> cell = sheet->getCellByPosition(address.Column, address.Row);
    switch (cell->getType()) {
    case table::CellContentType_VALUE:
        return QString::number(cell->getValue(), 'g', 15);
    case table::CellContentType_TEXT:
        return toQString(uno::Reference<text::XText>(cell, uno::UNO_QUERY_THROW)->getString());
    case table::CellContentType_FORMULA:
        return document.formulaParsers().print(
            uno::Reference<sheet::XFormulaTokens>(cell, uno::UNO_QUERY_THROW)->getTokens(),
            FormulaParsers::R1C1, address);
    default:
        return QString();
    }
}

} // namespace CellFormulas

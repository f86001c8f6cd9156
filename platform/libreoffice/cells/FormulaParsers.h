// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <com/sun/star/sheet/FormulaToken.hpp>
#include <com/sun/star/sheet/XFormulaParser.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/CellAddress.hpp>

// Excel's formula language for one document: English function names, comma
// separators, Sheet2!A1 references, in A1 or R1C1 notation. The cell's own
// setFormula speaks LibreOffice's language instead.
class FormulaParsers
{
public:
    enum Notation { A1, R1C1 };

    explicit FormulaParsers(const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document);

    // The text with or without its leading "="; references are taken relative
    // to the cell the formula goes in.
    css::uno::Sequence<css::sheet::FormulaToken> parse(const QString &formula, Notation notation,
                                                       const css::table::CellAddress &cell);
    // With the leading "=".
    QString print(const css::uno::Sequence<css::sheet::FormulaToken> &tokens, Notation notation,
                  const css::table::CellAddress &cell);

private:
    css::uno::Reference<css::sheet::XFormulaParser> &parser(Notation notation);

    css::uno::Reference<css::sheet::XSpreadsheetDocument> m_document;
    css::uno::Reference<css::sheet::XFormulaParser> m_a1;
    css::uno::Reference<css::sheet::XFormulaParser> m_r1c1;
};

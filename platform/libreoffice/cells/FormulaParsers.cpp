// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/cells/FormulaParsers.h"

#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/AddressConvention.hpp>
#include <com/sun/star/sheet/FormulaLanguage.hpp>
#include <com/sun/star/sheet/FormulaMapGroup.hpp>
#include <com/sun/star/sheet/FormulaOpCodeMapEntry.hpp>
#include <com/sun/star/sheet/XFormulaOpCodeMapper.hpp>

using namespace css;

FormulaParsers::FormulaParsers(const uno::Reference<sheet::XSpreadsheetDocument> &document)
    : m_document(document)
{
}

uno::Reference<sheet::XFormulaParser> &FormulaParsers::parser(Notation notation)
{
    uno::Reference<sheet::XFormulaParser> &parser = notation == A1 ? m_a1 : m_r1c1;
    if (parser.is())
        return parser;
    const uno::Reference<lang::XMultiServiceFactory> factory(m_document, uno::UNO_QUERY_THROW);
    const uno::Reference<sheet::XFormulaOpCodeMapper> mapper(
        factory->createInstance("com.sun.star.sheet.FormulaOpCodeMapper"), uno::UNO_QUERY_THROW);
    const uno::Sequence<sheet::FormulaOpCodeMapEntry> englishNames = mapper->getAvailableMappings(
        sheet::FormulaLanguage::XL_ENGLISH, sheet::FormulaMapGroup::ALL_EXCEPT_SPECIAL);
    parser.set(factory->createInstance("com.sun.star.sheet.FormulaParser"), uno::UNO_QUERY_THROW);
    const uno::Reference<beans::XPropertySet> properties(parser, uno::UNO_QUERY_THROW);
    properties->setPropertyValue("CompileEnglish", uno::Any(true));
    properties->setPropertyValue("FormulaConvention",
                                 uno::Any(notation == A1 ? sheet::AddressConvention::XL_A1
                                                         : sheet::AddressConvention::XL_R1C1));
    properties->setPropertyValue("OpCodeMap", uno::Any(englishNames));
    return parser;
}

uno::Sequence<sheet::FormulaToken> FormulaParsers::parse(const QString &formula, Notation notation,
                                                         const table::CellAddress &cell)
{
    return parser(notation)->parseFormula(toOUString(formula), cell);
}

QString FormulaParsers::print(const uno::Sequence<sheet::FormulaToken> &tokens, Notation notation,
                              const table::CellAddress &cell)
{
    return QLatin1Char('=') + toQString(parser(notation)->printFormula(tokens, cell));
}

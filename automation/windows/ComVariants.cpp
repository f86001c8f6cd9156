// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/windows/ComVariants.h"

#include "automation/ArrayOfArrays.h"
#include "automation/AutomationObject.h"
#include "fileformats/CellErrorValue.h"

#include <ActiveQt/qaxtypes.h>

#include <oleauto.h>

namespace {

// Excel's cell error values as automation gives them: CVErr codes (XlCVError)
// in the facility of Visual Basic errors, 0x800A0000 + code.
struct ExcelError
{
    long code;
    const char *text;
};

const ExcelError excelErrors[] = {
    {2000, "#NULL!"}, {2007, "#DIV/0!"}, {2015, "#VALUE!"}, {2023, "#REF!"},
    {2029, "#NAME?"}, {2036, "#NUM!"},   {2042, "#N/A"},
};

const long vbErrorFacility = long(0x800A0000);

QVariant errorValue(SCODE code)
{
    for (const ExcelError &error : excelErrors) {
        if (code == (vbErrorFacility | error.code))
            return QVariant::fromValue(CellErrorValue{QString::fromLatin1(error.text)});
    }
    return QVariant::fromValue(UnreadableValue{VT_ERROR});
}

bool errorCode(const CellErrorValue &value, SCODE *code)
{
    for (const ExcelError &error : excelErrors) {
        if (value.text == QLatin1String(error.text)) {
            *code = vbErrorFacility | error.code;
            return true;
        }
    }
    return false;
}

// A one-dimensional array, element by element.
SAFEARRAY *vectorOf(const QVariantList &elements)
{
    SAFEARRAY *array = SafeArrayCreateVector(VT_VARIANT, 0, ULONG(elements.size()));
    for (LONG i = 0; i < elements.size(); ++i) {
        VARIANT element;
        VariantInit(&element);
        if (!ComVariants::toVariant(elements.at(i), element)) {
            SafeArrayDestroy(array);
            return nullptr;
        }
        SafeArrayPutElement(array, &i, &element);
        VariantClear(&element);
    }
    return array;
}

SAFEARRAY *arrayOf(const QVariantList &rows)
{
    // As ActiveQt: a list of lists is a block of rows, the first row giving
    // the number of columns; any other list is one row.
    const int columns = rows.isEmpty() ? 0 : rows.first().toList().size();
    if (columns > 0 && rows.first().userType() == QMetaType::QVariantList) {
        SAFEARRAYBOUND bounds[2] = {{ULONG(rows.size()), 0}, {ULONG(columns), 0}};
        SAFEARRAY *array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        for (LONG row = 0; row < rows.size(); ++row) {
            const QVariantList cells = rows.at(row).toList();
            for (LONG column = 0; column < columns && column < cells.size(); ++column) {
                VARIANT element;
                VariantInit(&element);
                if (!ComVariants::toVariant(cells.at(column), element)) {
                    SafeArrayDestroy(array);
                    return nullptr;
                }
                LONG at[2] = {row, column};
                SafeArrayPutElement(array, at, &element);
                VariantClear(&element);
            }
        }
        return array;
    }
    return vectorOf(rows);
}

QVariant elementAt(SAFEARRAY *array, LONG *at)
{
    VARIANT element;
    VariantInit(&element);
    SafeArrayGetElement(array, at, &element);
    const QVariant value = ComVariants::fromVariant(element);
    VariantClear(&element);
    return value;
}

QVariant listOf(SAFEARRAY *array)
{
    const UINT dimensions = SafeArrayGetDim(array);
    LONG firstRow = 0, lastRow = -1;
    SafeArrayGetLBound(array, 1, &firstRow);
    SafeArrayGetUBound(array, 1, &lastRow);
    QVariantList rows;
    if (dimensions == 1) {
        for (LONG i = firstRow; i <= lastRow; ++i)
            rows.append(elementAt(array, &i));
        return rows;
    }
    if (dimensions != 2)
        return QVariant::fromValue(UnreadableValue{VT_ARRAY | VT_VARIANT});
    LONG firstColumn = 0, lastColumn = -1;
    SafeArrayGetLBound(array, 2, &firstColumn);
    SafeArrayGetUBound(array, 2, &lastColumn);
    for (LONG row = firstRow; row <= lastRow; ++row) {
        QVariantList cells;
        for (LONG column = firstColumn; column <= lastColumn; ++column) {
            LONG at[2] = {row, column};
            cells.append(elementAt(array, at));
        }
        rows.append(QVariant(cells));
    }
    return rows;
}

QVariant declared(const QVariant &value, const QByteArray &type)
{
    if (type == "bool" || type == "Boolean")
        return value.toBool();
    if (type == "int" || type == "long")
        return value.toInt();
    if (type == "double")
        return value.toDouble();
    if (type == "QString")
        return value.toString();
    return value;
}

} // namespace

namespace ComVariants {

bool toVariant(const QVariant &given, VARIANT &variant, const QByteArray &declaredType)
{
    const bool plain = given.userType() < QMetaType::User;
    const QVariant value = given.isValid() && plain ? declared(given, declaredType) : given;
    if (!value.isValid()) {
        variant.vt = VT_EMPTY;
        return true;
    }
    if (value.userType() == qMetaTypeId<UnreadableValue>())
        return false;
    if (value.userType() == qMetaTypeId<ComDispatch>()) {
        variant.vt = VT_DISPATCH;
        variant.pdispVal = value.value<ComDispatch>().dispatch;
        if (variant.pdispVal)
            variant.pdispVal->AddRef();
        return true;
    }
    if (value.userType() == qMetaTypeId<OmittedArgument>()) {
        variant.vt = VT_ERROR;
        variant.scode = DISP_E_PARAMNOTFOUND;
        return true;
    }
    if (value.userType() == qMetaTypeId<CellErrorValue>()) {
        SCODE code = 0;
        if (!errorCode(value.value<CellErrorValue>(), &code))
            return false;
        variant.vt = VT_ERROR;
        variant.scode = code;
        return true;
    }
    if (value.userType() == QMetaType::QVariantList || value.userType() == qMetaTypeId<ArrayOfArrays>()) {
        SAFEARRAY *array = value.userType() == QMetaType::QVariantList ? arrayOf(value.toList())
                                                                        : vectorOf(value.value<ArrayOfArrays>().arrays);
        if (!array)
            return false;
        variant.vt = VT_ARRAY | VT_VARIANT;
        variant.parray = array;
        return true;
    }
    return QVariantToVARIANT(value, variant, QByteArray());
}

QVariant fromVariant(const VARIANT &variant)
{
    switch (variant.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return QVariant();
    case VT_ERROR:
        return errorValue(variant.scode);
    case VT_VARIANT | VT_BYREF:
        return variant.pvarVal ? fromVariant(*variant.pvarVal) : QVariant();
    case VT_ARRAY | VT_VARIANT:
        return variant.parray ? listOf(variant.parray) : QVariant(QVariantList());
    case VT_ARRAY | VT_VARIANT | VT_BYREF:
        return variant.pparray && *variant.pparray ? listOf(*variant.pparray) : QVariant(QVariantList());
    default:
        break;
    }
    const QVariant value = VARIANTToQVariant(variant, QByteArray());
    return value.isValid() ? value : QVariant::fromValue(UnreadableValue{variant.vt});
}

} // namespace ComVariants

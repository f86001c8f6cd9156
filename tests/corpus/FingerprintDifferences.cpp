#include "tests/corpus/FingerprintDifferences.h"

#include "platform/libreoffice/CellErrorValue.h"

#include <algorithm>
#include <cmath>

namespace {

const int shownPerSheet = 5;

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.userType() != b.userType())
        return false;
    if (a.userType() == QMetaType::Double) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x == y || std::fabs(x - y) <= 1e-9 * std::max(std::fabs(x), std::fabs(y));
    }
    if (a.userType() == qMetaTypeId<CellErrorValue>())
        return a.value<CellErrorValue>() == b.value<CellErrorValue>();
    return a == b;
}

QString shown(const QVariant &value)
{
    if (!value.isValid())
        return QStringLiteral("(empty)");
    if (value.userType() == qMetaTypeId<CellErrorValue>())
        return value.value<CellErrorValue>().text;
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(value.typeName()), value.toString());
}

// Value() gives one cell's value alone and a block as a list of rows.
QVariantList rowsOf(const QVariant &values)
{
    if (values.userType() == QMetaType::QVariantList)
        return values.toList();
    return QVariantList{QVariant(QVariantList{values})};
}

// The value at a row and column of the block, empty outside it.
QVariant valueAt(const QVariantList &rows, int row, int column)
{
    return rows.value(row).toList().value(column);
}

void compareValues(const SheetFingerprint &before, const SheetFingerprint &after,
                   const QVector<const SheetFingerprint *> &controls, QStringList &lines)
{
    const QVariantList a = rowsOf(before.values);
    const QVariantList b = rowsOf(after.values);
    QVector<QVariantList> c;
    for (const SheetFingerprint *control : controls)
        c.append(rowsOf(control->values));
    int found = 0;
    for (int row = 0; row < std::max(a.size(), b.size()); ++row) {
        const QVariantList ra = a.value(row).toList();
        const QVariantList rb = b.value(row).toList();
        for (int column = 0; column < std::max(ra.size(), rb.size()); ++column) {
            if (sameValue(ra.value(column), rb.value(column)))
                continue;
            const bool volatileCell = std::any_of(c.cbegin(), c.cend(), [&](const QVariantList &rc) {
                return !sameValue(ra.value(column), valueAt(rc, row, column));
            });
            if (volatileCell)
                continue;
            if (++found <= shownPerSheet)
                lines.append(QStringLiteral("%1: R%2C%3 of the block: %4 -> %5")
                                 .arg(before.name)
                                 .arg(row + 1)
                                 .arg(column + 1)
                                 .arg(shown(ra.value(column)), shown(rb.value(column))));
        }
    }
    if (found > shownPerSheet)
        lines.append(QStringLiteral("%1: %2 cells differ in all").arg(before.name).arg(found));
}

} // namespace

QStringList fingerprintDifferences(const WorkbookFingerprint &before, const WorkbookFingerprint &after,
                                   const QVector<WorkbookFingerprint> &controls)
{
    QStringList lines;
    if (before.opened != after.opened)
        return {QStringLiteral("opened before: %1, after: %2").arg(before.opened).arg(after.opened)};
    if (before.failure != after.failure)
        lines.append(QStringLiteral("reading failed at \"%1\", now at \"%2\"").arg(before.failure, after.failure));
    if (before.sheets.size() != after.sheets.size())
        lines.append(QStringLiteral("%1 sheets, now %2").arg(before.sheets.size()).arg(after.sheets.size()));
    for (int i = 0; i < std::min(before.sheets.size(), after.sheets.size()); ++i) {
        const SheetFingerprint &a = before.sheets.at(i);
        const SheetFingerprint &b = after.sheets.at(i);
        if (a.name != b.name)
            lines.append(QStringLiteral("sheet %1 was \"%2\", now \"%3\"").arg(i + 1).arg(a.name, b.name));
        if (a.usedRange != b.usedRange)
            lines.append(QStringLiteral("%1: used range %2, now %3").arg(a.name, a.usedRange, b.usedRange));
        if (a.hyperlinks != b.hyperlinks)
            lines.append(QStringLiteral("%1: %2 hyperlinks, now %3").arg(a.name).arg(a.hyperlinks).arg(b.hyperlinks));
        // A control is only good for the cells it read at the same places.
        QVector<const SheetFingerprint *> sameShape;
        for (const WorkbookFingerprint &control : controls) {
            if (control.sheets.size() == before.sheets.size() && control.sheets.at(i).usedRange == a.usedRange)
                sameShape.append(&control.sheets.at(i));
        }
        compareValues(a, b, sameShape, lines);
    }
    return lines;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/report/EditInWords.h"

#include <QCoreApplication>

namespace {

// "ROW,COLUMN" as the batch command writes a cell.
QString cellInWords(const QString &cell)
{
    const QStringList parts = cell.split(QLatin1Char(','));
    if (parts.size() != 2)
        return cell;
    return QCoreApplication::translate("Engine", "row %1, column %2").arg(parts.at(0), parts.at(1));
}

QString fillInWords(const QStringList &arguments)
{
    const QString formula = arguments.value(0);
    const QString start = cellInWords(arguments.value(arguments.indexOf(QStringLiteral("--start")) + 1));
    if (arguments.contains(QStringLiteral("--auto-end-row")))
        return QCoreApplication::translate("Engine", "fill the formula %1 from %2 down to each sheet's last row").arg(formula, start);
    if (arguments.contains(QStringLiteral("--auto-end-column")))
        return QCoreApplication::translate("Engine", "fill the formula %1 from %2 right to each sheet's last column").arg(formula, start);
    const QString end = cellInWords(arguments.value(arguments.indexOf(QStringLiteral("--end")) + 1));
    return QCoreApplication::translate("Engine", "fill the formula %1 from %2 to %3").arg(formula, start, end);
}

QString linkInWords(const QStringList &arguments)
{
    const auto option = [&arguments](const char *name) {
        const int at = arguments.indexOf(QLatin1String(name));
        return at < 0 ? QString() : arguments.value(at + 1);
    };
    QStringList target;
    if (!option("--address").isEmpty())
        target << option("--address");
    if (!option("--sub-address").isEmpty())
        target << option("--sub-address");
    QString words = QCoreApplication::translate("Engine", "insert a link to %1 into cell %2")
                        .arg(target.join(QLatin1Char(' ')), arguments.value(0));
    if (!option("--text").isEmpty())
        words += QCoreApplication::translate("Engine", ", showing \"%1\"").arg(option("--text"));
    return words;
}

} // namespace

QString editInWords(const QStringList &description)
{
    QStringList arguments = description.mid(1);
    // The sheet choice ends the record, after the edit's own arguments.
    QString sheets;
    const int named = arguments.indexOf(QStringLiteral("--sheet"));
    if (named >= 0 && named + 1 < arguments.size()) {
        sheets = QCoreApplication::translate("Engine", ", only in the sheets named \"%1\"").arg(arguments.at(named + 1));
        arguments.erase(arguments.begin() + named, arguments.begin() + named + 2);
    }
    if (arguments.removeAll(QStringLiteral("--first-sheet-only")) > 0)
        sheets = QCoreApplication::translate("Engine", ", only in the first sheet") + sheets;

    const QString edit = description.value(0);
    const QString number = arguments.value(0);
    QString words;
    if (edit == QLatin1String("add-row"))
        words = QCoreApplication::translate("Engine", "insert a row before row %1").arg(number);
    else if (edit == QLatin1String("add-column"))
        words = QCoreApplication::translate("Engine", "insert a column before column %1").arg(number);
    else if (edit == QLatin1String("delete-row"))
        words = QCoreApplication::translate("Engine", "delete row %1").arg(number);
    else if (edit == QLatin1String("delete-column"))
        words = QCoreApplication::translate("Engine", "delete column %1").arg(number);
    else if (edit == QLatin1String("fill-formula"))
        words = fillInWords(arguments);
    else if (edit == QLatin1String("formula-to-value"))
        words = QCoreApplication::translate("Engine", "turn the formulas of %1 into values").arg(number);
    else if (edit == QLatin1String("index-sheet"))
        words = QCoreApplication::translate("Engine", "add a first sheet linking to every sheet");
    else if (edit == QLatin1String("cell-link"))
        words = linkInWords(arguments);
    else
        return description.join(QLatin1Char(' '));
    return words + sheets;
}

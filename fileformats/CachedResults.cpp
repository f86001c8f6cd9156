// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/CachedResults.h"

#include "fileformats/BiffCachedResults.h"
#include "fileformats/CellErrorValue.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/ZipArchive.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

// "AB12" -> (11, 27), 0-based row and column.
bool cellPosition(QStringView reference, int *row, int *column)
{
    int at = 0;
    int letters = 0;
    // Three letters at most (XFD is the last column): a longer, damaged
    // reference would overflow and land on some other cell.
    while (at < reference.size() && at < 3) {
        const QChar letter = reference.at(at).toUpper();
        if (letter < QLatin1Char('A') || letter > QLatin1Char('Z'))
            break;
        letters = letters * 26 + (letter.unicode() - 'A' + 1);
        ++at;
    }
    bool ok = false;
    const int number = reference.mid(at).toInt(&ok);
    if (!ok || letters == 0)
        return false;
    *row = number - 1;
    *column = letters - 1;
    return true;
}

QVariant resultOf(QStringView type, const QString &text)
{
    if (type == QLatin1String("b"))
        return text == QLatin1String("1");
    if (type == QLatin1String("e"))
        return QVariant::fromValue(CellErrorValue{text});
    if (type == QLatin1String("str") || type == QLatin1String("inlineStr"))
        return text;
    if (type.isEmpty() || type == QLatin1String("n")) {
        bool ok = false;
        const double number = text.toDouble(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    return QVariant(); // a shared string: not written for formula results
}

} // namespace

CachedResults CachedResults::read(const QString &path, const QString &sheetName, int firstRow, int firstColumn,
                                  int lastRow, int lastColumn)
{
    CachedResults cached;
    if (!OoxmlWorkbookParts::isOoxmlWorkbook(path)) {
        const QHash<QPair<int, int>, QVariant> stored = biffCachedResults(path, sheetName);
        for (auto result = stored.constBegin(); result != stored.constEnd(); ++result) {
            const int row = result.key().first;
            const int column = result.key().second;
            if (row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn)
                cached.m_results.insert(result.key(), result.value());
        }
        return cached;
    }
    QFile file(path);
    ZipArchive archive;
    if (!file.open(QIODevice::ReadOnly) || !archive.read(file.readAll()))
        return cached;
    const QByteArray workbook = archive.member(OoxmlWorkbookParts::workbookPart);
    // Written by libraries that leave the computing to whoever opens the file.
    static const QRegularExpression recalculate(QStringLiteral("<(?:\\w+:)?calcPr\\b[^>]*\\bfullCalcOnLoad=\"(?:1|true)\""));
    if (recalculate.match(QString::fromUtf8(workbook)).hasMatch())
        return cached;
    const QString part = OoxmlWorkbookParts::sheetPart(archive, sheetName);
    if (part.isEmpty())
        return cached;

    QXmlStreamReader xml(archive.member(part));
    int row = -1;
    int column = -1;
    QString type;
    bool formula = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("c")) {
                formula = false;
                type = xml.attributes().value(QLatin1String("t")).toString();
                if (!cellPosition(xml.attributes().value(QLatin1String("r")), &row, &column))
                    row = column = -1;
            } else if (xml.name() == QLatin1String("f")) {
                formula = true;
            } else if (xml.name() == QLatin1String("v") && formula && row >= firstRow && row <= lastRow
                       && column >= firstColumn && column <= lastColumn) {
                const QVariant result = resultOf(type, xml.readElementText());
                if (result.isValid())
                    cached.m_results.insert({row, column}, result);
            }
        }
    }
    return cached;
}

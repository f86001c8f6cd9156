// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/StoredRowHeights.h"

#include "fileformats/OoxmlWorkbookParts.h"
#include "platform/libreoffice/UnoStrings.h"
#include "fileformats/ZipArchive.h"

#include <QVector>
#include <QXmlStreamReader>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>

#include <cmath>

using namespace css;

namespace {

// The rows of an .xlsx or .xlsm sheet.
const int maxRows = 1048576;

// Rows first to last (0-based) that share one stored height, in 1/100 mm as
// LibreOffice's row properties take it.
struct RowRun
{
    int first = 0;
    int last = 0;
    sal_Int32 height = 0;
};

sal_Int32 pointsToHundredthsOfMm(double points)
{
    return static_cast<sal_Int32>(std::lround(points * 2540.0 / 72.0));
}

bool isTrue(QStringView value)
{
    return value == QLatin1String("1") || value == QLatin1String("true");
}

// The rows between and after the runs, at the sheet's default height.
QVector<RowRun> withDefaultRows(const QVector<RowRun> &runs, sal_Int32 height)
{
    QVector<RowRun> all;
    int next = 0;
    for (const RowRun &run : runs) {
        if (run.first > next)
            all.append({next, run.first - 1, height});
        all.append(run);
        next = run.last + 1;
    }
    if (next < maxRows)
        all.append({next, maxRows - 1, height});
    return all;
}

// The runs of rows that carry a height of their own (the ht attribute), in
// order; and, where the sheet sets its default height by hand, the rows that
// take that default. A row without its number follows the one before it. The
// part is read as it is inflated: a sheet part may be tens of megabytes.
QVector<RowRun> storedRuns(const ZipArchive &archive, const QString &part)
{
    QVector<RowRun> runs;
    sal_Int32 customDefault = 0;
    QXmlStreamReader xml;
    int row = -1;
    bool done = false;
    const auto readToken = [&]() {
        if (xml.isEndElement() && xml.name() == QLatin1String("sheetData")) {
            done = true;
            return;
        }
        if (!xml.isStartElement())
            return;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("sheetFormatPr") && isTrue(attributes.value(QLatin1String("customHeight")))) {
            const double points = attributes.value(QLatin1String("defaultRowHeight")).toDouble();
            customDefault = points > 0 ? pointsToHundredthsOfMm(points) : 0;
        }
        if (xml.name() != QLatin1String("row"))
            return;
        bool numbered = false;
        const int number = attributes.value(QLatin1String("r")).toInt(&numbered);
        row = numbered ? number - 1 : row + 1;
        if (row < 0 || row >= maxRows)
            return;
        bool stored = false;
        const double points = attributes.value(QLatin1String("ht")).toDouble(&stored);
        // A zero height cannot be set: LibreOffice would leave the row as it is.
        if (!stored || points <= 0)
            return;
        const sal_Int32 height = pointsToHundredthsOfMm(points);
        if (!runs.isEmpty() && runs.last().last == row - 1 && runs.last().height == height)
            runs.last().last = row;
        else
            runs.append({row, row, height});
    };
    archive.readMember(part, [&](const QByteArray &piece) {
        xml.addData(piece);
        while (!done) {
            xml.readNext();
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                return true; // the next piece goes on where this one ended
            if (xml.hasError() || xml.atEnd())
                done = true;
            else
                readToken();
        }
        return false;
    });
    return customDefault > 0 ? withDefaultRows(runs, customDefault) : runs;
}

void restoreSheet(const uno::Reference<sheet::XSpreadsheet> &sheet, const QVector<RowRun> &runs)
{
    for (const RowRun &run : runs) {
        const uno::Reference<table::XColumnRowRange> lines(
            sheet->getCellRangeByPosition(0, run.first, 0, run.last), uno::UNO_QUERY_THROW);
        const uno::Reference<beans::XPropertySet> rows(lines->getRows(), uno::UNO_QUERY_THROW);
        // The rows of a run were imported alike: the first tells for all.
        // A height set marks the rows as sized by hand (customHeight), also
        // rows the file left to fit their content: only rows whose height
        // was rounded are touched.
        sal_Int32 loaded = 0;
        rows->getPropertyValue("Height") >>= loaded;
        if (std::abs(loaded - run.height) > 1)
            rows->setPropertyValue("Height", uno::Any(run.height));
    }
}

} // namespace

void restoreStoredRowHeights(const uno::Reference<sheet::XSpreadsheetDocument> &document, const ZipArchive &archive)
{
    const uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(i), uno::UNO_QUERY_THROW);
        const uno::Reference<container::XNamed> named(sheet, uno::UNO_QUERY_THROW);
        const QString part = OoxmlWorkbookParts::sheetPart(archive, toQString(named->getName()));
        if (!part.isEmpty())
            restoreSheet(sheet, storedRuns(archive, part));
    }
}

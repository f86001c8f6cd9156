// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/StoredRowHeights.h"

#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/WorkbookSurvey.h"
#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>

#include <cmath>

using namespace css;

namespace {

void restoreSheet(const uno::Reference<sheet::XSpreadsheet> &sheet, const QVector<StoredRowRuns::Run> &runs)
{
    for (const StoredRowRuns::Run &run : runs) {
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
            rows->setPropertyValue("Height", uno::Any(sal_Int32(run.height)));
    }
}

} // namespace

void restoreStoredRowHeights(const uno::Reference<sheet::XSpreadsheetDocument> &document, const ZipArchive &archive,
                             const WorkbookSurvey &survey)
{
    const uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(i), uno::UNO_QUERY_THROW);
        const uno::Reference<container::XNamed> named(sheet, uno::UNO_QUERY_THROW);
        const QString part = OoxmlWorkbookParts::sheetPart(archive, toQString(named->getName()));
        if (!part.isEmpty())
            restoreSheet(sheet, survey.storedRowRuns(part));
    }
}

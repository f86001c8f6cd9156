// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/CalcDocument.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/cells/FormulaParsers.h"
#include "fileformats/StoredWorkbookCheck.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "platform/libreoffice/document/ReplacementFile.h"
#include "platform/libreoffice/UnoStrings.h"
#include "platform/libreoffice/office/WorkbookLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <osl/file.hxx>

#include <algorithm>

using namespace css;

CalcDocument::CalcDocument(std::shared_ptr<OfficeSession> session,
                           uno::Reference<sheet::XSpreadsheetDocument> document, QString path,
                           GridLimits grid, std::optional<CsvFilterOptions> csv,
                           QHash<QString, SheetOutline> outlines)
    : m_session(std::move(session))
    , m_document(std::move(document))
    , m_path(std::move(path))
    , m_grid(grid)
    , m_csv(std::move(csv))
    , m_outlines(std::move(outlines))
{
}

CalcDocument::~CalcDocument()
{
    // A workbook let go without Close must not stay open until soffice ends:
    // terminating over it would leave its lock file behind.
    close();
}

void CalcDocument::ensureUsable() const
{
    if (m_closed)
        fail(QCoreApplication::translate("Engine", "the workbook %1 is closed").arg(m_path));
    if (!m_session->isAlive())
        fail(QCoreApplication::translate("Engine", "LibreOffice ended while %1 was open; it was not saved").arg(m_path));
}

uno::Reference<sheet::XSpreadsheets> CalcDocument::sheets() const
{
    ensureUsable();
    return m_document->getSheets();
}

int CalcDocument::sheetIndex(const uno::Reference<sheet::XSpreadsheet> &sheet) const
{
    const uno::Reference<sheet::XCellRangeAddressable> addressable(sheet, uno::UNO_QUERY_THROW);
    return addressable->getRangeAddress().Sheet;
}

QString CalcDocument::sheetName(const uno::Reference<sheet::XSpreadsheet> &sheet) const
{
    const uno::Reference<container::XNamed> named(sheet, uno::UNO_QUERY_THROW);
    return toQString(named->getName());
}

FormulaParsers &CalcDocument::formulaParsers()
{
    ensureUsable();
    if (!m_formulaParsers)
        m_formulaParsers = std::make_unique<FormulaParsers>(m_document);
    return *m_formulaParsers;
}

QDate CalcDocument::nullDate()
{
    if (m_nullDate.isValid())
        return m_nullDate;
    ensureUsable();
    const uno::Reference<util::XNumberFormatsSupplier> supplier(m_document, uno::UNO_QUERY_THROW);
    util::Date date;
    supplier->getNumberFormatSettings()->getPropertyValue("NullDate") >>= date;
    m_nullDate = QDate(date.Year, date.Month, date.Day);
    return m_nullDate;
}

bool CalcDocument::isModified() const
{
    ensureUsable();
    const uno::Reference<util::XModifiable> modifiable(m_document, uno::UNO_QUERY_THROW);
    return modifiable->isModified();
}

void CalcDocument::noteValuesWritten(bool beforeAnyOtherChange)
{
    m_onlyValuesWritten = beforeAnyOtherChange;
}

QString CalcDocument::save()
{
    const std::unique_ptr<StoreFinish> finish = store();
    if (!finish)
        return QString();
    const QString leftOut = finish->run();
    markSaved();
    return leftOut;
}

std::unique_ptr<StoreFinish> CalcDocument::store()
{
    ensureUsable();
    // Every store drops something LibreOffice cannot write back: a workbook
    // the edit did not change stays the file it was.
    if (!isModified())
        return nullptr;

    // Stored beside the file and moved over it whole, so that a failure at any
    // point leaves the file as it was.
    auto replacement = std::make_unique<ReplacementFile>(m_path, [this](const QString &path) {
        m_session->setFilesInHand({WorkbookLock::pathOf(m_path), path, WorkbookLock::pathOf(path)});
    });
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(toOUString(replacement->path()), url) != osl::FileBase::E_None)
        fail(QCoreApplication::translate("Engine", "not a valid path: %1").arg(replacement->path()));
    const uno::Reference<frame::XStorable> storable(m_document, uno::UNO_QUERY_THROW);
    try {
        storable->storeToURL(url, storeArguments());
    } catch (const uno::Exception &e) {
        m_session->noteCallFailure(e);
        // A full disk comes back as an error code of the filter's
        // ("0x40b02(Error Area:Sc Class:Read ...)"); the room left beside the
        // file, its cut copy still there, tells it.
        const QString full = StoredWorkbookCheck::fullDiskNote(m_path, QFileInfo(m_path).size());
        if (!full.isEmpty())
            fail(QCoreApplication::translate("Engine", "cannot save %1: LibreOffice could not write it%2").arg(m_path, full));
        throw;
    }
    StoreFinish::Stored stored{m_path, m_csv, m_csv ? storedCsvRecords() : 0, m_grid.binary, m_edits,
                               m_csv ? csvPutBack() : StoreFinish::CsvPutBack(), m_outlines};
    auto finish = std::make_unique<StoreFinish>(std::move(stored), std::move(replacement), m_session);
    m_session->setFilesInHand({WorkbookLock::pathOf(m_path)});
    return finish;
}

void CalcDocument::markSaved()
{
    // The workbook is saved: a soffice dying from here on must not make it
    // look unsaved. The document now matches its file, as after store().
    try {
        const uno::Reference<util::XModifiable> modifiable(m_document, uno::UNO_QUERY_THROW);
        modifiable->setModified(false);
    } catch (const uno::Exception &) {
    }
}

// The stored text in the original's bytes, its rows and columns followed
// through the edit (matched by content where cells moved inside a block).
// What it needs of the document is taken now, so that it can run once
// LibreOffice has gone on to the next workbook.
StoreFinish::CsvPutBack CalcDocument::csvPutBack() const
{
    const uno::Reference<container::XIndexAccess> sheetList(sheets(), uno::UNO_QUERY_THROW);
    const QString sheet = sheetName(uno::Reference<sheet::XSpreadsheet>(sheetList->getByIndex(0), uno::UNO_QUERY_THROW));
    const CsvFilterOptions csv = *m_csv;
    if (!m_edits.canFollow(sheet))
        return [csv](const QString &storedPath) { return csv.putBack(storedPath, nullptr, nullptr); };
    const WorkbookEdits edits = m_edits;
    QHash<int, int> columnOrigins;
    for (int column = 1; column <= std::min(csv.widestRecord() + 32, m_grid.columns); ++column) {
        int row = 1;
        int moved = column;
        if (edits.followCell(sheet, row, moved))
            columnOrigins.insert(moved - 1, column - 1);
    }
    return [csv, edits, sheet, columnOrigins](const QString &storedPath) {
        return csv.putBack(
            storedPath,
            [&edits, &sheet](int stored) {
                int row = stored + 1;
                return edits.originalRow(sheet, row) ? row - 1 : -1;
            },
            [&columnOrigins](int stored) { return columnOrigins.value(stored, -1); });
    };
}

// The records LibreOffice writes for the CSV file's one sheet: every row from
// the first down to the last holding content.
qint64 CalcDocument::storedCsvRecords() const
{
    const uno::Reference<container::XIndexAccess> sheetList(sheets(), uno::UNO_QUERY_THROW);
    const uno::Reference<sheet::XCellRangesQuery> query(sheetList->getByIndex(0), uno::UNO_QUERY_THROW);
    const sal_Int16 flags = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING
                              | sheet::CellFlags::FORMULA;
    qint64 lastRow = -1;
    for (const table::CellRangeAddress &range : query->queryContentCells(flags)->getRangeAddresses())
        lastRow = std::max<qint64>(lastRow, range.EndRow);
    return lastRow + 1;
}

// The filter the document was loaded with, so that the file keeps its format
// (storeToURL would otherwise pick one from the temporary name).
uno::Sequence<beans::PropertyValue> CalcDocument::storeArguments() const
{
    QString filterName;
    QString filterOptions;
    if (m_csv) {
        filterName = QString::fromLatin1(CsvFilterOptions::filterName());
        filterOptions = m_csv->exportOptions();
    } else {
        const uno::Reference<frame::XModel> model(m_document, uno::UNO_QUERY_THROW);
        const uno::Sequence<beans::PropertyValue> loaded = model->getArgs();
        for (const beans::PropertyValue &argument : loaded) {
            OUString value;
            if (argument.Name == "FilterName" && (argument.Value >>= value))
                filterName = toQString(value);
            else if (argument.Name == "FilterOptions" && (argument.Value >>= value))
                filterOptions = toQString(value);
        }
    }
    if (filterName.isEmpty())
        fail(QCoreApplication::translate("Engine", "cannot save %1: LibreOffice does not tell its file format").arg(m_path));

    uno::Sequence<beans::PropertyValue> arguments(filterOptions.isEmpty() ? 2 : 3);
    beans::PropertyValue *argument = arguments.getArray();
    argument[0].Name = "FilterName";
    argument[0].Value <<= toOUString(filterName);
    argument[1].Name = "Overwrite";
    argument[1].Value <<= true;
    if (!filterOptions.isEmpty()) {
        argument[2].Name = "FilterOptions";
        argument[2].Value <<= toOUString(filterOptions);
    }
    return arguments;
}

void CalcDocument::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_formulaParsers.reset();
    if (!m_session->isAlive()) {
        // The lock files are this session's own; left behind, they would
        // make the next soffice open the file read-only.
        m_session->removeFilesInHand();
        return;
    }
    try {
        const uno::Reference<util::XCloseable> closeable(m_document, uno::UNO_QUERY_THROW);
        closeable->close(true);
    } catch (const uno::Exception &) {
        // Closing with ownership handed over cannot be vetoed for good; a dead
        // connection leaves nothing to close.
    }
    if (m_session->isAlive())
        m_session->setFilesInHand({});
    else
        m_session->removeFilesInHand();
}

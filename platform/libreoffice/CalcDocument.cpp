#include "platform/libreoffice/CalcDocument.h"

#include "platform/libreoffice/AutomationFailure.h"
#include "platform/libreoffice/FormulaParsers.h"
#include "platform/libreoffice/OfficeSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

using namespace css;

CalcDocument::CalcDocument(std::shared_ptr<OfficeSession> session,
                           uno::Reference<sheet::XSpreadsheetDocument> document, QString path,
                           GridLimits grid, std::optional<CsvFilterOptions> csv)
    : m_session(std::move(session))
    , m_document(std::move(document))
    , m_path(std::move(path))
    , m_grid(grid)
    , m_csv(std::move(csv))
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
        fail(QStringLiteral("the workbook %1 is closed").arg(m_path));
    if (!m_session->isAlive())
        fail(QStringLiteral("LibreOffice ended while %1 was open; it was not saved").arg(m_path));
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

void CalcDocument::save()
{
    ensureUsable();
    const uno::Reference<frame::XStorable> storable(m_document, uno::UNO_QUERY_THROW);
    storable->store();
    if (m_csv)
        m_csv->restoreByteOrderMark(m_path);
}

void CalcDocument::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_formulaParsers.reset();
    if (!m_session->isAlive()) {
        // The lock file is this session's own; left behind, it would make the
        // next soffice open the file read-only.
        const QFileInfo file(m_path);
        QFile::remove(file.dir().filePath(QStringLiteral(".~lock.%1#").arg(file.fileName())));
        return;
    }
    try {
        const uno::Reference<util::XCloseable> closeable(m_document, uno::UNO_QUERY_THROW);
        closeable->close(true);
    } catch (const uno::Exception &) {
        // Closing with ownership handed over cannot be vetoed for good; a dead
        // connection leaves nothing to close.
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/document/CsvFilterOptions.h"
#include "platform/libreoffice/document/StoreFinish.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "platform/libreoffice/formulafill/PendingFormulaWrites.h"

#include <QDate>
#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>

#include <memory>
#include <optional>

class FormulaParsers;
class OfficeSession;

// The rows and columns a workbook's file format can hold: LibreOffice's own
// grid is larger than .xls's, and cells beyond the format's are lost on save.
struct GridLimits
{
    int rows = 1048576;
    int columns = 16384;
    // The binary .xls format, whose stored formula results LibreOffice
    // loads without telling a logical one from a number.
    bool binary = false;
};

// One open workbook, shared by the objects that reach into it. It stops
// answering once closed or once its soffice is gone.
class CalcDocument
{
public:
    // outlines: what was read of the file's sheets before loading, by part.
    CalcDocument(std::shared_ptr<OfficeSession> session,
                 css::uno::Reference<css::sheet::XSpreadsheetDocument> document, QString path,
                 GridLimits grid, std::optional<CsvFilterOptions> csv, QHash<QString, SheetOutline> outlines);
    ~CalcDocument();

    // Fails (AutomationFailure) when the document cannot be used any more.
    void ensureUsable() const;

    const std::shared_ptr<OfficeSession> &sharedSession() const { return m_session; }
    const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document() const { return m_document; }
    css::uno::Reference<css::sheet::XSpreadsheets> sheets() const;
    int sheetIndex(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet) const;
    GridLimits grid() const { return m_grid; }
    QString path() const { return m_path; }
    QString sheetName(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet) const;
    // What the edit did to the grid, for what is put back on saving.
    WorkbookEdits &edits() { return m_edits; }

    FormulaParsers &formulaParsers();
    PendingFormulaWrites &pendingWrites() { return m_pendingWrites; }
    QDate nullDate();

    bool isModified() const;
    // Whether anything but values written over the cells (formulas turned
    // into their results) changed since opening: then the file's stored
    // formula results may no longer hold.
    bool changedBeyondValues() const { return isModified() && !m_onlyValuesWritten; }
    void noteValuesWritten(bool beforeAnyOtherChange);
    // Replaces the file whole, or fails (AutomationFailure) leaving it as it
    // was. An unchanged workbook is not written at all. Gives what of the
    // original could not be put back after LibreOffice stored it, or an
    // empty string.
    QString save();
    // The first half of save(): LibreOffice stores the workbook beside its
    // file, and what remains to be done is given back (none for an
    // unchanged workbook). Once it has run, markSaved().
    std::unique_ptr<StoreFinish> store();
    void markSaved();
    void close();

private:
    css::uno::Sequence<css::beans::PropertyValue> storeArguments() const;
    qint64 storedCsvRecords() const;
    StoreFinish::CsvPutBack csvPutBack() const;

    std::shared_ptr<OfficeSession> m_session;
    css::uno::Reference<css::sheet::XSpreadsheetDocument> m_document;
    QString m_path;
    GridLimits m_grid;
    std::optional<CsvFilterOptions> m_csv;
    QHash<QString, SheetOutline> m_outlines;
    std::unique_ptr<FormulaParsers> m_formulaParsers;
    PendingFormulaWrites m_pendingWrites{*this};
    WorkbookEdits m_edits;
    QDate m_nullDate;
    bool m_closed = false;
    bool m_onlyValuesWritten = false;
};

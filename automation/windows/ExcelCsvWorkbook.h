// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"
#include "fileformats/CsvRecords.h"

#include <QString>

// A CSV file Excel opened as text (ExcelCsvRouting): Save() stores it with
// SaveAs as UTF-8 CSV (or, where the application lacks that format, as
// Unicode text) into a file beside it, puts that back into the original's
// bytes (CsvPutBack) and replaces the file with the result only once it
// reads back as what Excel stored. Close removes the stored copy. Every other
// member goes to Excel's workbook unchanged.
class ExcelCsvWorkbook : public AutomationObject
{
public:
    ExcelCsvWorkbook(AutomationObjectPtr workbook, QString path, CsvRecords original);
    ~ExcelCsvWorkbook() override;

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override;
    QVariant call(const QByteArray &member, const QVariantList &arguments, AutomationError &error) override;
    QVariant property(const QByteArray &name, AutomationError &error) override;
    bool setProperty(const QByteArray &name, const QVariant &value, AutomationError &error) override;

private:
    void save(AutomationError &error);
    QString storedAs(int fileFormat, AutomationError &error);
    void removeStoredCopy();

    AutomationObjectPtr m_workbook;
    QString m_path;
    CsvRecords m_original;
    QString m_storedCopy;
};

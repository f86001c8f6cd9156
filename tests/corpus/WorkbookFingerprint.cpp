#include "tests/corpus/WorkbookFingerprint.h"

#include "automation/AxObject.h"

#include <algorithm>

namespace {

QString columnName(int column)
{
    QString name;
    for (; column > 0; column = (column - 1) / 26)
        name.prepend(QChar('A' + (column - 1) % 26));
    return name;
}

QString blockAt(int row, int column, int rows, int columns)
{
    return QStringLiteral("%1%2:%3%4")
        .arg(columnName(column))
        .arg(row)
        .arg(columnName(column + columns - 1))
        .arg(row + rows - 1);
}

// Counts of a range's Rows or Columns view.
int lineCount(AxObject *range, const char *view)
{
    AxObject *lines = range->querySubObject(view);
    return lines ? lines->property("Count").toInt() : 0;
}

// Fills sheet from the automation object; false, with why, when a member failed.
bool readSheet(AxObject *item, SheetFingerprint &sheet, QString &why)
{
    sheet.name = item->property("Name").toString();
    AxObject *used = item->querySubObject("UsedRange");
    if (!used) {
        why = QStringLiteral("UsedRange of %1").arg(sheet.name);
        return false;
    }
    const int row = used->property("Row").toInt();
    const int column = used->property("Column").toInt();
    const int rows = lineCount(used, "Rows");
    const int columns = lineCount(used, "Columns");
    sheet.usedRange = QStringLiteral("R%1C%2:R%3C%4").arg(row).arg(column).arg(row + rows - 1).arg(column + columns - 1);
    const int blockColumns = std::min(columns, FingerprintReader::maxColumns);
    AxObject *range = item->querySubObject("Range(const QVariant&)",
                                           blockAt(row, column, std::min(rows, FingerprintReader::maxRows), blockColumns));
    if (!range) {
        why = QStringLiteral("the value block of %1").arg(sheet.name);
        return false;
    }
    sheet.values = range->dynamicCall("Value()");
    // Counting looks at every filled cell, several calls into soffice each.
    AxObject *linked = item;
    if (double(rows) * columns > FingerprintReader::maxLinkCells) {
        const int linkRows = std::max(1, std::min(rows, FingerprintReader::maxLinkCells / blockColumns));
        linked = item->querySubObject("Range(const QVariant&)", blockAt(row, column, linkRows, blockColumns));
    }
    AxObject *links = linked ? linked->querySubObject("Hyperlinks()") : nullptr;
    if (!links) {
        why = QStringLiteral("the hyperlinks of %1").arg(sheet.name);
        return false;
    }
    sheet.hyperlinks = links->property("Count").toInt();
    return true;
}

} // namespace

FingerprintReader::FingerprintReader()
    : m_application(new AxObject(QStringLiteral("Excel.Application")))
{
    m_workbooks = m_application->querySubObject("WorkBooks");
}

FingerprintReader::~FingerprintReader() = default;

bool FingerprintReader::started() const
{
    return m_workbooks != nullptr;
}

qint64 FingerprintReader::processId() const
{
    return m_application->property("ProcessId").toLongLong();
}

WorkbookFingerprint FingerprintReader::read(const QString &path)
{
    WorkbookFingerprint fingerprint;
    // The workbook's sub-objects are its children: deleting it releases them,
    // so memory does not grow with the folder.
    std::unique_ptr<AxObject> workbook(m_workbooks->querySubObject("Open(const QString&)", path));
    if (!workbook)
        return fingerprint;
    fingerprint.opened = true;
    AxObject *sheets = workbook->querySubObject("Sheets");
    const int count = sheets ? sheets->property("Count").toInt() : 0;
    if (!sheets)
        fingerprint.failure = QStringLiteral("Sheets");
    for (int i = 1; i <= count && fingerprint.failure.isEmpty(); ++i) {
        SheetFingerprint sheet;
        AxObject *item = sheets->querySubObject("Item(int)", i);
        if (!item)
            fingerprint.failure = QStringLiteral("Item(%1)").arg(i);
        else if (readSheet(item, sheet, fingerprint.failure))
            fingerprint.sheets.append(sheet);
    }
    workbook->dynamicCall("Close (Boolean)", false);
    return fingerprint;
}

void FingerprintReader::quit()
{
    m_application->dynamicCall("Quit(void)");
}

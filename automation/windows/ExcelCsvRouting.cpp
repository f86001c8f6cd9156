// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/windows/ExcelCsvRouting.h"

#include "automation/ArrayOfArrays.h"
#include "automation/windows/ExcelCsvWorkbook.h"
#include "fileformats/ColumnLetters.h"
#include "fileformats/CsvDialect.h"
#include "fileformats/CsvEncoding.h"
#include "fileformats/CsvRecords.h"
#include "fileformats/LoadSoundness.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

namespace {

// Workbooks.OpenText's constants (XlTextParsingType, XlTextQualifier,
// XlColumnDataType).
const int xlDelimited = 1;
const int xlTextQualifierDoubleQuote = 1;
const int xlTextFormat = 2;

bool isMember(const QByteArray &member, const char *name)
{
    const int end = member.indexOf('(');
    return member.left(end < 0 ? member.size() : end).trimmed().compare(name, Qt::CaseInsensitive) == 0;
}

// The Windows code page of OpenText's Origin.
int codePageOf(CsvEncoding::Kind kind)
{
    switch (kind) {
    case CsvEncoding::Utf8:
        return 65001;
    case CsvEncoding::Utf16LittleEndian:
        return 1200;
    case CsvEncoding::Utf16BigEndian:
        return 1201;
    case CsvEncoding::Gb18030:
        return 54936;
    case CsvEncoding::ShiftJis:
        return 932;
    case CsvEncoding::Windows1252:
        return 1252;
    case CsvEncoding::Unknown:
        break;
    }
    return 0;
}

QString cellText(const QVariant &value)
{
    return value.type() == QVariant::Double ? QString::number(value.toDouble(), 'g', 17) : value.toString();
}

class Forwarding : public AutomationObject
{
public:
    explicit Forwarding(AutomationObjectPtr inner)
        : m_inner(std::move(inner))
    {
    }
    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override
    {
        return m_inner->querySubObject(member, arguments, error);
    }
    QVariant call(const QByteArray &member, const QVariantList &arguments, AutomationError &error) override
    {
        return m_inner->call(member, arguments, error);
    }
    QVariant property(const QByteArray &name, AutomationError &error) override
    {
        return m_inner->property(name, error);
    }
    bool setProperty(const QByteArray &name, const QVariant &value, AutomationError &error) override
    {
        return m_inner->setProperty(name, value, error);
    }

protected:
    AutomationObjectPtr m_inner;
};

class CsvWorkbooks : public Forwarding
{
public:
    using Forwarding::Forwarding;

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override
    {
        if (isMember(member, "Open") && !arguments.isEmpty()
            && arguments.first().toString().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            return openText(arguments.first().toString(), error);
        return Forwarding::querySubObject(member, arguments, error);
    }

private:
    AutomationObjectPtr openText(const QString &path, AutomationError &error);
    QString misreading(AutomationObject &workbook, const CsvRecords &records, AutomationError &error);
    void refuse(AutomationError &error, const QString &path, const QString &why)
    {
        error.raise(-1, QStringLiteral("Gridwrighter"),
                    QCoreApplication::translate("Engine", "%1 is left as it is: %2").arg(path, why));
    }
};

AutomationObjectPtr CsvWorkbooks::openText(const QString &path, AutomationError &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(error, path, file.errorString());
        return nullptr;
    }
    const QByteArray content = file.readAll();
    const CsvEncoding encoding = CsvEncoding::of(content);
    if (!encoding.problem.isEmpty()) {
        refuse(error, path, encoding.problem);
        return nullptr;
    }
    const QByteArray body = content.mid(encoding.byteOrderMark.size());
    const CsvDialect dialect =
        CsvDialect::of(encoding.unitSize() == 2 ? encoding.codec()->toUnicode(body).toUtf8() : body);
    if (dialect.lines > LoadSoundness::gridRows || dialect.widestRecord > LoadSoundness::gridColumns) {
        refuse(error, path, QCoreApplication::translate("Engine", "it holds more lines or fields than a sheet"));
        return nullptr;
    }
    ArrayOfArrays fieldInfo;
    for (int column = 1; column <= qMin(dialect.widestRecord + 16, LoadSoundness::gridColumns); ++column)
        fieldInfo.arrays.append(QVariant(QVariantList{column, xlTextFormat}));
    // Filename, Origin, StartRow, DataType, TextQualifier,
    // ConsecutiveDelimiter, Tab, Semicolon, Comma, Space, Other, OtherChar,
    // FieldInfo.
    const char separator = dialect.separator;
    Forwarding::call("OpenText(const QVariant&,const QVariant&,const QVariant&,const QVariant&,const QVariant&,"
                     "const QVariant&,const QVariant&,const QVariant&,const QVariant&,const QVariant&,"
                     "const QVariant&,const QVariant&,const QVariant&)",
                     {path, codePageOf(encoding.kind), 1, xlDelimited, xlTextQualifierDoubleQuote, false,
                      separator == '\t', separator == ';', separator == ',', false, false, QStringLiteral(" "),
                      QVariant::fromValue(fieldInfo)},
                     error);
    if (error.raised)
        return nullptr;
    // The workbook OpenText opened goes by the file's name.
    AutomationObjectPtr workbook =
        Forwarding::querySubObject("Item(const QVariant&)", {QFileInfo(path).fileName()}, error);
    if (!workbook)
        return nullptr;
    const CsvRecords records(content, encoding, separator);
    const QString why = misreading(*workbook, records, error);
    if (!why.isEmpty() || error.raised) {
        AutomationError closing;
        workbook->call("Close (Boolean)", {false}, closing);
        if (!why.isEmpty())
            refuse(error, path, why);
        return nullptr;
    }
    return std::make_shared<ExcelCsvWorkbook>(workbook, path, records);
}

// What Excel read, from A1 to the used range's end, against the records.
QString CsvWorkbooks::misreading(AutomationObject &workbook, const CsvRecords &records, AutomationError &error)
{
    const AutomationObjectPtr sheet = workbook.querySubObject("Worksheets(int)", {1}, error);
    const AutomationObjectPtr used = sheet ? sheet->querySubObject("UsedRange", {}, error) : nullptr;
    const AutomationObjectPtr usedRows = used ? used->querySubObject("Rows", {}, error) : nullptr;
    const AutomationObjectPtr usedColumns = used ? used->querySubObject("Columns", {}, error) : nullptr;
    if (!usedRows || !usedColumns)
        return QString();
    const int lastRow = used->property("Row", error).toInt() + usedRows->property("Count", error).toInt() - 1;
    const int lastColumn = used->property("Column", error).toInt() + usedColumns->property("Count", error).toInt() - 1;
    const AutomationObjectPtr area = sheet->querySubObject(
        "Range(const QVariant&)", {QStringLiteral("A1:%1%2").arg(columnLetters(lastColumn)).arg(lastRow)}, error);
    if (!area || error.raised)
        return QString();
    QVariant values = area->property("Value", error);
    QVariantList rows = values.toList();
    if (values.type() != QVariant::List)
        rows = {QVariant(QVariantList{values})};
    const int count = records.records().size();
    for (int record = 0; record < qMax(count, int(rows.size())); ++record) {
        QStringList cells;
        if (record < rows.size()) {
            for (const QVariant &value : rows.at(record).toList())
                cells.append(cellText(value));
        }
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        const QStringList expected = record < count ? records.cells(record) : QStringList();
        if (cells != expected)
            return QCoreApplication::translate("Engine", "Excel reads it differently from its bytes as %1 text "
                                                         "(record %2), so its encoding or quoting cannot be kept")
                .arg(records.encoding().name())
                .arg(record + 1);
    }
    return QString();
}

class CsvApplication : public Forwarding
{
public:
    using Forwarding::Forwarding;

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override
    {
        AutomationObjectPtr sub = Forwarding::querySubObject(member, arguments, error);
        if (sub && isMember(member, "Workbooks"))
            return std::make_shared<CsvWorkbooks>(sub);
        return sub;
    }
};

} // namespace

AutomationObjectPtr routingCsvFiles(AutomationObjectPtr excelApplication)
{
    return excelApplication ? std::make_shared<CsvApplication>(std::move(excelApplication)) : nullptr;
}

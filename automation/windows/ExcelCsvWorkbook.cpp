// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/windows/ExcelCsvWorkbook.h"

#include "fileformats/CsvPutBack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// XlFileFormat: CSV in UTF-8 (Excel 2016 and later), else UTF-16 text with
// tabs, which every Excel and WPS writes; both hold any character.
const int xlCSVUTF8 = 62;
const int xlUnicodeText = 42;

bool isMember(const QByteArray &member, const char *name)
{
    const int end = member.indexOf('(');
    return member.left(end < 0 ? member.size() : end).trimmed().compare(name, Qt::CaseInsensitive) == 0;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

ExcelCsvWorkbook::ExcelCsvWorkbook(AutomationObjectPtr workbook, QString path, CsvRecords original)
    : m_workbook(std::move(workbook))
    , m_path(std::move(path))
    , m_original(std::move(original))
{
}

ExcelCsvWorkbook::~ExcelCsvWorkbook()
{
    removeStoredCopy();
}

AutomationObjectPtr ExcelCsvWorkbook::querySubObject(const QByteArray &member, const QVariantList &arguments,
                                                     AutomationError &error)
{
    return m_workbook->querySubObject(member, arguments, error);
}

QVariant ExcelCsvWorkbook::call(const QByteArray &member, const QVariantList &arguments, AutomationError &error)
{
    if (isMember(member, "Save")) {
        save(error);
        return QVariant();
    }
    const QVariant result = m_workbook->call(member, arguments, error);
    if (isMember(member, "Close"))
        removeStoredCopy();
    return result;
}

QVariant ExcelCsvWorkbook::property(const QByteArray &name, AutomationError &error)
{
    return m_workbook->property(name, error);
}

bool ExcelCsvWorkbook::setProperty(const QByteArray &name, const QVariant &value, AutomationError &error)
{
    return m_workbook->setProperty(name, value, error);
}

void ExcelCsvWorkbook::save(AutomationError &error)
{
    CsvEncoding storedEncoding;
    storedEncoding.kind = CsvEncoding::Utf8;
    // Excel's CSV has commas whatever the original's separator.
    char storedSeparator = ',';
    QString stored = storedAs(xlCSVUTF8, error);
    if (stored.isEmpty()) {
        error = AutomationError();
        stored = storedAs(xlUnicodeText, error);
        storedEncoding.kind = CsvEncoding::Utf16LittleEndian;
        storedSeparator = '\t';
    }
    if (stored.isEmpty())
        return;
    QByteArray storedBytes = readAll(stored);
    for (const QByteArray &mark : {QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE")}) {
        if (storedBytes.startsWith(mark))
            storedEncoding.byteOrderMark = mark;
    }
    const CsvRecords storedRecords(storedBytes, storedEncoding, storedSeparator);
    CsvPutBack putBack(m_original, storedRecords);
    const QByteArray merged = putBack.merged();
    QString problem = putBack.problem();
    if (problem.isEmpty()) {
        // Written whole beside the file and moved over it in one step.
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(merged) != merged.size() || !file.commit())
            problem = QCoreApplication::translate("Engine", "cannot write %1: %2").arg(m_path, file.errorString());
    }
    if (!problem.isEmpty())
        error.raise(-1, QStringLiteral("Gridwrighter"),
                    QCoreApplication::translate("Engine", "%1 is left as it is: %2").arg(m_path, problem));
}

// The workbook stored by Excel into a file beside the original, whose name
// the folder walk passes over ("~$"); empty when Excel refused.
QString ExcelCsvWorkbook::storedAs(int fileFormat, AutomationError &error)
{
    const QFileInfo original(m_path);
    const QString stored = QDir::toNativeSeparators(
        original.absoluteDir().filePath(QStringLiteral("~$gridwrighter-%1-%2").arg(fileFormat).arg(original.fileName())));
    QFile::remove(stored);
    m_workbook->call("SaveAs(const QVariant&,const QVariant&)", {stored, fileFormat}, error);
    if (error.raised || !QFileInfo::exists(stored))
        return QString();
    m_storedCopy = stored;
    return stored;
}

// Excel holds the file it saved last until the workbook closes.
void ExcelCsvWorkbook::removeStoredCopy()
{
    if (!m_storedCopy.isEmpty() && QFile::remove(m_storedCopy))
        m_storedCopy.clear();
}

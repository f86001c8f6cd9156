#pragma once

#include "automation/AxObject.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// What the LibreOffice tests share: fixtures, reading results back with
// openpyxl, and watching the soffice processes a test started.
namespace LibreOfficeTestSupport {

// ${CMAKE_SOURCE_DIR}/../shared/corpus; empty when it is not there.
QString corpusDirectory();
// Copies a corpus file into directory and returns the copy's path.
QString copyFromCorpus(const QString &relativePath, const QString &directory);

// Writes an xlsx with openpyxl from a JSON description (see workbook_tool.py).
bool createWorkbook(const QString &path, const QJsonObject &description);
// Every sheet's cells as openpyxl reads them from the saved file.
QJsonObject dumpWorkbook(const QString &path);

// One part of a zip package (xlsx, xlsm), such as "[Content_Types].xml".
QString packagePart(const QString &path, const QString &part);

// Whether any process of the group still runs (zombies do not count).
bool processGroupAlive(pid_t group);

QByteArray fileBytes(const QString &path);

} // namespace LibreOfficeTestSupport

// Counts the errors an AxObject and its sub-objects raise.
class ErrorLog : public QObject
{
    Q_OBJECT

public:
    void watch(AxObject *object);
    int count() const { return m_descriptions.size(); }
    QString last() const { return m_descriptions.isEmpty() ? QString() : m_descriptions.last(); }
    void clear() { m_descriptions.clear(); }

private slots:
    void record(int code, const QString &source, const QString &description, const QString &help);

private:
    QStringList m_descriptions;
};

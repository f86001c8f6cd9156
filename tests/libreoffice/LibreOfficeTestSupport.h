// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AxObject.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include <sys/types.h>

// What the LibreOffice tests share beside WorkbookFiles: corpus copies and
// watching the soffice processes a test started.
namespace LibreOfficeTestSupport {

// Copies a file of WorkbookFiles::corpusFolder() into directory and returns
// the copy's path.
QString copyFromCorpus(const QString &relativePath, const QString &directory);

// Whether any process of the group still runs (zombies do not count).
bool processGroupAlive(pid_t group);

QByteArray fileBytes(const QString &path);

// The workbook's sheet at the 1-based index, or null.
AxObject *sheetOf(AxObject *workbook, int index);

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

// A test class whose functions share one running application: started in
// initTestCase, quit in cleanupTestCase, every error of its workbooks logged.
class CalcTestCase : public QObject
{
protected:
    bool startCalc();
    void quitCalc();
    AxObject *open(const QString &path);

    std::unique_ptr<AxObject> m_excel;
    AxObject *m_workbooks = nullptr;
    ErrorLog m_errors;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/libreoffice/LibreOfficeTestSupport.h"

#include "platform/libreoffice/LibreOfficeServer.h"
#include "platform/linux/ProcessList.h"
#include "tests/support/WorkbookFiles.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>

namespace LibreOfficeTestSupport {

QString copyFromCorpus(const QString &relativePath, const QString &directory)
{
    const QString source = WorkbookFiles::corpusFolder() + QLatin1Char('/') + relativePath;
    const QString target = directory + QLatin1Char('/') + QFileInfo(relativePath).fileName();
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return QString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

bool processGroupAlive(pid_t group)
{
    return group > 0 && ::kill(-group, 0) == 0 && !ProcessList::groupMembers(group).isEmpty();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

AxObject *sheetOf(AxObject *workbook, int index)
{
    AxObject *sheets = workbook->querySubObject("Sheets");
    return sheets ? sheets->querySubObject("Item(int)", index) : nullptr;
}

} // namespace LibreOfficeTestSupport

void ErrorLog::watch(AxObject *object)
{
    connect(object, &AxObject::exception, this, &ErrorLog::record);
}

void ErrorLog::record(int, const QString &, const QString &description, const QString &)
{
    m_descriptions.append(description);
}

bool CalcTestCase::startCalc()
{
    registerLibreOfficeServer();
    m_excel = std::make_unique<AxObject>(QStringLiteral("Excel.Application"));
    if (m_excel->isNull())
        return false;
    m_workbooks = m_excel->querySubObject("WorkBooks");
    if (!m_workbooks)
        return false;
    m_errors.watch(m_workbooks);
    return true;
}

void CalcTestCase::quitCalc()
{
    m_excel->dynamicCall("Quit(void)");
    m_excel.reset();
}

AxObject *CalcTestCase::open(const QString &path)
{
    AxObject *workbook = m_workbooks->querySubObject("Open(const QString&)", path);
    if (workbook)
        m_errors.watch(workbook);
    return workbook;
}

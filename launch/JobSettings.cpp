#include "launch/JobSettings.h"

#include <QFile>

QString JobSettings::sourcePath;
bool JobSettings::onlyFirstSheet = false;
bool JobSettings::appointedSheet = false;
QString JobSettings::sheetName;
QString JobSettings::unopenedListPath;

std::int32_t JobSettings::addColumnNumber = 1;
std::int32_t JobSettings::addRowNumber = 1;
std::int32_t JobSettings::deleteRowNumber = 1;
std::int32_t JobSettings::deleteColumnNumber = 1;

QString JobSettings::firstFormula;
std::int32_t JobSettings::copyFormulaStartRow = 1;
std::int32_t JobSettings::copyFormulaStartColumn = 1;
std::int32_t JobSettings::copyFormulaEndRow = 1;
std::int32_t JobSettings::copyFormulaEndColumn = 1;
bool JobSettings::autoEndRow = false;
bool JobSettings::autoEndColumn = false;

QString JobSettings::valueRange;

QString JobSettings::linkCell;
QString JobSettings::linkAddress;
QString JobSettings::linkSubAddress;
QString JobSettings::linkText;

QString unopenedListFileName()
{
    return QStringLiteral("无法打开修改的文件目录(文件格式有误).txt");
}

QString withAsciiColons(QString text)
{
    return text.replace(QChar(0xFF1A), QLatin1Char(':'), Qt::CaseSensitive);
}

void resetUnopenedList()
{
    JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
    if (QFile::exists(JobSettings::unopenedListPath))
        QFile::remove(JobSettings::unopenedListPath);
}

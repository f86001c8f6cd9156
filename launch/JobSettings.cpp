// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/JobSettings.h"

QString JobSettings::sourcePath;
bool JobSettings::onlyFirstSheet = false;
bool JobSettings::appointedSheet = false;
QString JobSettings::sheetName;
QString JobSettings::unopenedListPath;
bool JobSettings::keepsBackups = true;
int JobSettings::keptBackupJobs = 10;
bool JobSettings::dryRun = false;
QStringList JobSettings::listedFiles;
bool JobSettings::filesListed = false;
int JobSettings::shardNumber = 1;
int JobSettings::shardCount = 1;
int JobSettings::parallelJobs = 1;

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

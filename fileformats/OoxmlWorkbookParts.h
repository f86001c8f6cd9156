// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class ZipArchive;

// The parts of an Office Open XML workbook that LibreOffice drops when it
// stores one, read from the archive's workbook part.
namespace OoxmlWorkbookParts {

extern const QString workbookPart;

bool isOoxmlWorkbook(const QString &path);

// The workbookProtection element as written, or empty when there is none.
QString workbookProtection(const QByteArray &workbookXml);
// The names of the sheets hidden so that only a macro can show them again.
QStringList veryHiddenSheets(const QByteArray &workbookXml);
// The part holding the sheet named sheetName ("xl/worksheets/sheet3.xml"), or
// empty when there is no such sheet.
QString sheetPart(const ZipArchive &archive, const QString &sheetName);
// How many links to other workbooks the archive holds.
int externalLinkCount(const ZipArchive &archive);

// Fails (AutomationFailure) when the stored workbook has lost links to other
// workbooks, which cannot be put back; originalPath names the workbook in
// that message.
void refuseLostLinks(const ZipArchive &original, const ZipArchive &stored, const QString &originalPath);

} // namespace OoxmlWorkbookParts

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/OoxmlWorkbookParts.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/ZipArchive.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace OoxmlWorkbookParts {

const QString workbookPart = QStringLiteral("xl/workbook.xml");

namespace {

// Matches <workbookProtection .../> or <x:workbookProtection ...></x:workbookProtection>.
const QRegularExpression &protectionElement()
{
    static const QRegularExpression element(QStringLiteral(
        "<(\\w+:)?workbookProtection\\b([^>]*?)(?:/>|>\\s*</(?:\\w+:)?workbookProtection>)"));
    return element;
}

const QRegularExpression &sheetElement()
{
    static const QRegularExpression element(QStringLiteral("<(?:\\w+:)?sheet\\b[^>]*>"));
    return element;
}

QString attribute(const QString &element, const QString &name)
{
    const QRegularExpression value(QStringLiteral("\\s%1\\s*=\\s*(\"([^\"]*)\"|'([^']*)')").arg(name));
    const QRegularExpressionMatch match = value.match(element);
    if (!match.hasMatch())
        return QString();
    const QString raw = match.captured(2).isNull() ? match.captured(3) : match.captured(2);
    QString text = raw;
    text.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

// LibreOffice writes an empty element; the original's, without its namespace
// prefix, takes its place (or goes before the sheet list).
QString withProtection(QString workbook, const QString &protection)
{
    QString element = protection;
    element.replace(QRegularExpression(QStringLiteral("^<\\w+:")), QStringLiteral("<"));
    element.replace(QRegularExpression(QStringLiteral("</\\w+:")), QStringLiteral("</"));
    const QRegularExpressionMatch present = protectionElement().match(workbook);
    if (present.hasMatch())
        return workbook.replace(present.capturedStart(), present.capturedLength(), element);
    for (const QString &before : {QStringLiteral("<bookViews"), QStringLiteral("<sheets")}) {
        const int at = workbook.indexOf(before);
        if (at >= 0)
            return workbook.insert(at, element);
    }
    return QString();
}

// LibreOffice knows only hidden sheets: those the original hid for good get
// that state back.
QString withVeryHiddenSheets(QString workbook, const QStringList &names, QStringList &missing)
{
    static const QRegularExpression state(QStringLiteral("\\sstate\\s*=\\s*(\"[^\"]*\"|'[^']*')"));
    missing = names;
    int from = 0;
    for (;;) {
        const QRegularExpressionMatch sheet = sheetElement().match(workbook, from);
        if (!sheet.hasMatch())
            break;
        QString element = sheet.captured(0);
        from = sheet.capturedEnd();
        if (!missing.removeOne(attribute(element, QStringLiteral("name"))))
            continue;
        if (state.match(element).hasMatch())
            element.replace(state, QStringLiteral(" state=\"veryHidden\""));
        else
            element.insert(element.indexOf(QLatin1String("sheet")) + 5, QStringLiteral(" state=\"veryHidden\""));
        workbook.replace(sheet.capturedStart(), sheet.capturedLength(), element);
        from = sheet.capturedStart() + element.size();
    }
    return workbook;
}

// "rId3" -> "xl/worksheets/sheet3.xml", from the workbook's relationships.
QString partOfRelationship(const QByteArray &relationships, const QString &id)
{
    QXmlStreamReader xml(relationships);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")
            && xml.attributes().value(QLatin1String("Id")) == id) {
            const QString target = xml.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    return QString();
}

} // namespace

bool isOoxmlWorkbook(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm");
}

QString workbookProtection(const QByteArray &workbookXml)
{
    const QRegularExpressionMatch match = protectionElement().match(QString::fromUtf8(workbookXml));
    return match.hasMatch() ? match.captured(0) : QString();
}

QStringList veryHiddenSheets(const QByteArray &workbookXml)
{
    QStringList names;
    QRegularExpressionMatchIterator sheets = sheetElement().globalMatch(QString::fromUtf8(workbookXml));
    while (sheets.hasNext()) {
        const QString element = sheets.next().captured(0);
        if (attribute(element, QStringLiteral("state")) == QLatin1String("veryHidden"))
            names.append(attribute(element, QStringLiteral("name")));
    }
    return names;
}

QString sheetPart(const ZipArchive &archive, const QString &sheetName)
{
    QXmlStreamReader xml(archive.member(workbookPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("sheet")
            && xml.attributes().value(QLatin1String("name")) == sheetName) {
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                if (attribute.name() == QLatin1String("id"))
                    return partOfRelationship(archive.member(QStringLiteral("xl/_rels/workbook.xml.rels")),
                                              attribute.value().toString());
            }
        }
    }
    return QString();
}

int externalLinkCount(const ZipArchive &archive)
{
    static const QRegularExpression link(QStringLiteral("^xl/externalLinks/externalLink\\d+\\.xml$"));
    return archive.names().filter(link).size();
}

void restore(const ZipArchive &original, ZipArchive &stored, const QString &originalPath)
{
    if (externalLinkCount(stored) < externalLinkCount(original))
        fail(QCoreApplication::translate("Engine", "LibreOffice would drop the links to other workbooks of %1").arg(originalPath));

    const QByteArray originalWorkbook = original.member(workbookPart);
    const QString protection = workbookProtection(originalWorkbook);
    const QStringList veryHidden = veryHiddenSheets(originalWorkbook);
    const bool protects = protection.contains(QLatin1Char('='));
    if (!protects && veryHidden.isEmpty())
        return;

    QString workbook = QString::fromUtf8(stored.member(workbookPart));
    if (workbook.isEmpty())
        fail(QCoreApplication::translate("Engine", "LibreOffice wrote no workbook part for %1").arg(originalPath));
    if (protects) {
        workbook = withProtection(workbook, protection);
        if (workbook.isEmpty())
            fail(QCoreApplication::translate("Engine", "cannot keep the workbook protection of %1").arg(originalPath));
    }
    QStringList missing;
    workbook = withVeryHiddenSheets(workbook, veryHidden, missing);
    if (!missing.isEmpty())
        fail(QCoreApplication::translate("Engine", "cannot keep the very hidden sheets of %1: %2").arg(originalPath, missing.join(", ")));
    stored.replace(workbookPart, workbook.toUtf8());
}

} // namespace OoxmlWorkbookParts

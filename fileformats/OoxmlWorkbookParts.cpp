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

void refuseLostLinks(const ZipArchive &original, const ZipArchive &stored, const QString &originalPath)
{
    if (externalLinkCount(stored) < externalLinkCount(original))
        fail(QCoreApplication::translate("Engine", "LibreOffice would drop the links to other workbooks of %1").arg(originalPath));
}

} // namespace OoxmlWorkbookParts

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/PutBackCheck.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/WorksheetOrder.h"
#include "fileformats/putback/XmlPart.h"

namespace {

bool isXml(const QString &name, const QString &contentType)
{
    return name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".rels"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".vml"), Qt::CaseInsensitive) || contentType.endsWith(QLatin1String("xml"));
}

// A prefix that markup compatibility names but no declaration binds.
QString unboundIgnorable(const XmlPart &xml)
{
    for (int i = 0; i < xml.elements().size(); ++i) {
        const QString prefixes =
            xml.element(i).attribute(QStringLiteral("Ignorable"), Namespaces::markupCompatibility);
        for (const QString &prefix : prefixes.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            if (xml.namespaceOf(i, prefix).isEmpty())
                return prefix;
    }
    return QString();
}

// "xl/_rels/workbook.xml.rels" -> "xl/workbook.xml"; "_rels/.rels" -> "".
QString sourceOf(const QString &relationshipsPart)
{
    const int slash = relationshipsPart.lastIndexOf(QLatin1Char('/'));
    QString folder = relationshipsPart.left(slash);
    folder.chop(QStringLiteral("_rels").size());
    return folder + relationshipsPart.mid(slash + 1).chopped(QStringLiteral(".rels").size());
}

} // namespace

PutBackCheck::PutBackCheck(const ZipArchive &stored)
    : m_stored(stored)
{
    m_sheetParts = PackageParts::sheetParts(stored).values();
}

QString PutBackCheck::problem(const ZipArchive &output, const QStringList &changed)
{
    const QByteArray types = output.member(PackageParts::contentTypesPart);
    const QStringList names = output.names();
    for (const QString &name : changed) {
        for (const QString &other : names)
            if (other != name && other.compare(name, Qt::CaseInsensitive) == 0)
                return QStringLiteral("the parts %1 and %2 differ only in case").arg(name, other);
        const QString problem = partProblem(output, name, types);
        if (!problem.isEmpty())
            return problem;
    }
    if (changed.contains(PackageParts::contentTypesPart))
        for (const QString &name : names)
            if (name != PackageParts::contentTypesPart && PackageParts::contentType(types, name).isEmpty())
                return QStringLiteral("the part %1 has no content type").arg(name);
    return QString();
}

QString PutBackCheck::partProblem(const ZipArchive &output, const QString &name, const QByteArray &types)
{
    const QByteArray content = output.member(name);
    if (content.isNull())
        return QStringLiteral("the part %1 cannot be read back").arg(name);
    const QString type = PackageParts::contentType(types, name);
    if (name != PackageParts::contentTypesPart && type.isEmpty())
        return QStringLiteral("the part %1 has no content type").arg(name);
    if (!isXml(name, type))
        return QString();
    if (m_sheetParts.contains(name))
        return sheetProblem(name, content);
    const XmlPart xml(content);
    if (!xml.error().isEmpty())
        return QStringLiteral("the part %1 is not well-formed: %2").arg(name, xml.error());
    const QString unbound = unboundIgnorable(xml);
    if (!unbound.isNull())
        return QStringLiteral("the part %1 lets readers ignore an undeclared prefix %2").arg(name, unbound);
    if (!name.endsWith(QLatin1String(".rels")))
        return QString();
    const QString source = sourceOf(name);
    try {
        for (const PackageParts::Relationship &r : PackageParts::relationships(content, source)) {
            if (r.external)
                continue;
            bool found = false;
            for (const QString &present : output.names())
                found = found || present.compare(r.target, Qt::CaseInsensitive) == 0;
            if (!found)
                return QStringLiteral("the relationship %1 of %2 points at a missing part %3").arg(r.id, source, r.target);
        }
    } catch (const AutomationFailure &failure) {
        return failure.description;
    }
    return QString();
}

QString PutBackCheck::sheetProblem(const QString &name, const QByteArray &content)
{
    auto stored = m_storedSheets.constFind(name);
    if (stored == m_storedSheets.constEnd()) {
        const XmlPart sheet(m_stored.member(name));
        stored = m_storedSheets.insert(name, {sheet.cellDigest(), sheet.cellCount(), WorksheetOrder::isOrdered(sheet)});
    }
    const XmlPart sheet(content);
    if (!sheet.error().isEmpty())
        return QStringLiteral("the sheet part %1 is not well-formed: %2").arg(name, sheet.error());
    const QString unbound = unboundIgnorable(sheet);
    if (!unbound.isNull())
        return QStringLiteral("the part %1 lets readers ignore an undeclared prefix %2").arg(name, unbound);
    if (stored.value().ordered && !WorksheetOrder::isOrdered(sheet))
        return QStringLiteral("the sheet part %1 has its elements out of order").arg(name);
    if (sheet.cellCount() != stored.value().cellCount || sheet.cellDigest() != stored.value().cells)
        return QStringLiteral("the sheet part %1 holds other cells (%2) than LibreOffice stored (%3)")
            .arg(name)
            .arg(sheet.cellCount())
            .arg(stored.value().cellCount);
    return QString();
}

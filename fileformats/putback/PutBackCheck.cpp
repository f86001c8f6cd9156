// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/PutBackCheck.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/KeptCells.h"
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

QString PutBackCheck::problem(const ZipArchive &output, const QStringList &changed,
                              const QHash<QString, XmlPart> &written)
{
    const QByteArray types = output.member(PackageParts::contentTypesPart);
    const QStringList names = output.names();
    for (const QString &name : changed) {
        for (const QString &other : names)
            if (other != name && other.compare(name, Qt::CaseInsensitive) == 0)
                return QStringLiteral("the parts %1 and %2 differ only in case").arg(name, other);
        const QString problem = partProblem(output, name, types, written);
        if (!problem.isEmpty())
            return problem;
    }
    if (changed.contains(PackageParts::contentTypesPart))
        for (const QString &name : names)
            if (name != PackageParts::contentTypesPart && PackageParts::contentType(types, name).isEmpty())
                return QStringLiteral("the part %1 has no content type").arg(name);
    return QString();
}

QString PutBackCheck::partProblem(const ZipArchive &output, const QString &name, const QByteArray &types,
                                  const QHash<QString, XmlPart> &written)
{
    const bool sheet = m_sheetParts.contains(name);
    const auto found = sheet ? written.constFind(name) : written.constEnd();
    const XmlPart *writtenSheet = found == written.constEnd() ? nullptr : &found.value();
    // A sheet as the put-backs left it is the text written.
    const QByteArray content = writtenSheet ? QByteArray() : output.member(name);
    if (!writtenSheet && content.isNull())
        return QStringLiteral("the part %1 cannot be read back").arg(name);
    const QString type = PackageParts::contentType(types, name);
    if (name != PackageParts::contentTypesPart && type.isEmpty())
        return QStringLiteral("the part %1 has no content type").arg(name);
    if (!isXml(name, type))
        return QString();
    if (sheet)
        return sheetProblem(name, writtenSheet ? XmlPart() : XmlPart(content), writtenSheet);
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

const XmlPart &PutBackCheck::storedSheet(const QString &name)
{
    auto found = m_storedSheets.find(name);
    if (found == m_storedSheets.end())
        found = m_storedSheets.insert(name, XmlPart(m_stored.member(name)));
    return found.value();
}

// sheet is the part as read from the output, unless written gives it.
QString PutBackCheck::sheetProblem(const QString &name, const XmlPart &sheet, const XmlPart *written)
{
    const XmlPart &stored = storedSheet(name);
    XmlPart read = written ? KeptCells::withoutStoredCells(stored, *written) : XmlPart();
    const bool cellsKept = !read.text().isNull();
    if (!cellsKept) {
        read = written ? XmlPart::ofText(written->text()) : sheet;
        // Each read once, with its digest.
        read.cellDigest();
        stored.cellDigest();
    }
    if (!read.error().isEmpty())
        return QStringLiteral("the sheet part %1 is not well-formed: %2").arg(name, read.error());
    const QString unbound = unboundIgnorable(read);
    if (!unbound.isNull())
        return QStringLiteral("the part %1 lets readers ignore an undeclared prefix %2").arg(name, unbound);
    if (WorksheetOrder::isOrdered(stored) && !WorksheetOrder::isOrdered(read))
        return QStringLiteral("the sheet part %1 has its elements out of order").arg(name);
    if (!cellsKept && (read.cellCount() != stored.cellCount() || read.cellDigest() != stored.cellDigest()))
        return QStringLiteral("the sheet part %1 holds other cells (%2) than LibreOffice stored (%3)")
            .arg(name)
            .arg(read.cellCount())
            .arg(stored.cellCount());
    return QString();
}

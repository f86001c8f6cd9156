// SPDX-License-Identifier: GPL-3.0-or-later
#include "XlsxFile.h"

#include "fileformats/CompoundFile.h"
#include "fileformats/ZipArchive.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>

namespace {

const QString relationshipNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString mainNamespace = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

struct Relationship
{
    QString type;
    QString target;
    bool external = false;
};

// Every start element of a part in document order.
void forEachElement(const QByteArray &part, const std::function<void(QXmlStreamReader &)> &visit)
{
    QXmlStreamReader xml(part);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            visit(xml);
    }
}

QHash<QString, Relationship> relationships(const ZipArchive &archive, const QString &part)
{
    QHash<QString, Relationship> found;
    forEachElement(archive.member(part), [&](QXmlStreamReader &xml) {
        if (xml.name() != QLatin1String("Relationship"))
            return;
        const QXmlStreamAttributes a = xml.attributes();
        Relationship r;
        r.type = a.value(QLatin1String("Type")).toString().section(QLatin1Char('/'), -1);
        r.target = a.value(QLatin1String("Target")).toString();
        r.external = a.value(QLatin1String("TargetMode")) == QLatin1String("External");
        found.insert(a.value(QLatin1String("Id")).toString(), r);
    });
    return found;
}

QStringList sharedStrings(const ZipArchive &archive)
{
    QStringList strings;
    QXmlStreamReader xml(archive.member(QStringLiteral("xl/sharedStrings.xml")));
    QString current;
    bool inPhonetic = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            current.clear();
        else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("rPh"))
            inPhonetic = true;
        else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("rPh"))
            inPhonetic = false;
        else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("t") && !inPhonetic)
            current += xml.readElementText();
        else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("si"))
            strings.append(current);
    }
    return strings;
}

Cell::Format formatOfCode(const QString &code)
{
    if (code == QLatin1String("@"))
        return Cell::TextFormat;
    QString bare = code;
    bare.remove(QRegularExpression(QStringLiteral("\"[^\"]*\"|\\[[^]]*\\]")));
    const bool day = bare.contains(QLatin1Char('y'), Qt::CaseInsensitive) || bare.contains(QLatin1Char('d'), Qt::CaseInsensitive);
    const bool time = bare.contains(QLatin1Char('h'), Qt::CaseInsensitive) || bare.contains(QLatin1Char('s'), Qt::CaseInsensitive);
    if (day)
        return time ? Cell::DateTime : Cell::Date;
    return Cell::General;
}

// The format of each cell style, by its index.
QVector<Cell::Format> styleFormats(const ZipArchive &archive)
{
    QHash<int, Cell::Format> custom;
    QVector<Cell::Format> formats;
    bool inCellXfs = false;
    QXmlStreamReader xml(archive.member(QStringLiteral("xl/styles.xml")));
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("numFmt"))
            custom.insert(a.value(QLatin1String("numFmtId")).toInt(), formatOfCode(a.value(QLatin1String("formatCode")).toString()));
        else if (xml.name() == QLatin1String("cellXfs"))
            inCellXfs = true;
        else if (xml.name() == QLatin1String("xf") && inCellXfs) {
            const int id = a.value(QLatin1String("numFmtId")).toInt();
            Cell::Format format = custom.value(id, Cell::General);
            if ((id >= 14 && id <= 17) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
                format = Cell::Date;
            else if (id == 22)
                format = Cell::DateTime;
            else if (id == 49)
                format = Cell::TextFormat;
            formats.append(format);
        }
    }
    return formats;
}

QString partPath(const QString &base, const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QString folder = base.section(QLatin1Char('/'), 0, -2);
    QString rest = target;
    while (rest.startsWith(QLatin1String("../"))) {
        rest = rest.mid(3);
        folder = folder.section(QLatin1Char('/'), 0, -2);
    }
    return folder.isEmpty() ? rest : folder + QLatin1Char('/') + rest;
}

void readSheet(const ZipArchive &archive, const QString &part, const QStringList &strings,
               const QVector<Cell::Format> &formats, Sheet &sheet)
{
    const QString relsPart = part.section(QLatin1Char('/'), 0, -2) + QStringLiteral("/_rels/")
        + part.section(QLatin1Char('/'), -1) + QStringLiteral(".rels");
    const QHash<QString, Relationship> rels = relationships(archive, relsPart);
    QXmlStreamReader xml(archive.member(part));
    CellKey key;
    QString type;
    Cell cell;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c")) {
            if (!cell.isBlank() || cell.format != Cell::General)
                sheet.cells.insert(key, cell);
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("c")) {
            int row = 0;
            int column = 0;
            parseCell(a.value(QLatin1String("r")).toString(), row, column);
            key = {row, column};
            type = a.value(QLatin1String("t")).toString();
            cell = Cell();
            cell.format = formats.value(a.value(QLatin1String("s")).toInt(), Cell::General);
        } else if (xml.name() == QLatin1String("f")) {
            cell.formula = QLatin1Char('=') + xml.readElementText();
        } else if (xml.name() == QLatin1String("v")) {
            const QString v = xml.readElementText();
            if (type == QLatin1String("s")) {
                cell.type = Cell::Text;
                cell.text = strings.value(v.toInt());
            } else if (type == QLatin1String("str") || type == QLatin1String("inlineStr")) {
                cell.type = Cell::Text;
                cell.text = v;
            } else if (type == QLatin1String("b")) {
                cell.type = Cell::Boolean;
                cell.boolean = v == QLatin1String("1");
            } else if (type == QLatin1String("e")) {
                cell.type = Cell::Error;
                cell.error = errorNumber(v);
            } else {
                cell.type = Cell::Number;
                cell.number = v.toDouble();
            }
        } else if (xml.name() == QLatin1String("is")) {
            cell.type = Cell::Text;
            cell.text.clear();
            while (!(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == QLatin1String("is")) && !xml.atEnd()) {
                if (xml.isStartElement() && xml.name() == QLatin1String("t"))
                    cell.text += xml.readElementText();
            }
        } else if (xml.name() == QLatin1String("hyperlink")) {
            int row = 0;
            int column = 0;
            parseCell(a.value(QLatin1String("ref")).toString().section(QLatin1Char(':'), 0, 0), row, column);
            Link link;
            link.subAddress = a.value(QLatin1String("location")).toString();
            link.address = rels.value(a.value(relationshipNamespace, QLatin1String("id")).toString()).target;
            sheet.links.insert({row, column}, link);
        }
    }
}

QByteArray fileBytes(const QString &path, QString &whyNot)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        whyNot = file.errorString();
        return QByteArray();
    }
    return file.readAll();
}

QByteArray sheetXml(const Sheet &sheet, QStringList &linkTargets)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(mainNamespace);
    xml.writeNamespace(relationshipNamespace, QStringLiteral("r"));
    xml.writeStartElement(mainNamespace, QStringLiteral("worksheet"));
    xml.writeStartElement(mainNamespace, QStringLiteral("sheetData"));
    int openRow = 0;
    for (auto it = sheet.cells.cbegin(); it != sheet.cells.cend(); ++it) {
        const Cell &cell = it.value();
        if (it.key().first != openRow) {
            if (openRow)
                xml.writeEndElement();
            openRow = it.key().first;
            xml.writeStartElement(mainNamespace, QStringLiteral("row"));
            xml.writeAttribute(QStringLiteral("r"), QString::number(openRow));
        }
        xml.writeStartElement(mainNamespace, QStringLiteral("c"));
        xml.writeAttribute(QStringLiteral("r"), columnName(it.key().second) + QString::number(it.key().first));
        if (cell.format != Cell::General)
            xml.writeAttribute(QStringLiteral("s"), QString::number(int(cell.format)));
        const bool formula = !cell.formula.isEmpty();
        switch (cell.type) {
        case Cell::Text:
            xml.writeAttribute(QStringLiteral("t"), formula ? QStringLiteral("str") : QStringLiteral("inlineStr"));
            break;
        case Cell::Boolean:
            xml.writeAttribute(QStringLiteral("t"), QStringLiteral("b"));
            break;
        case Cell::Error:
            xml.writeAttribute(QStringLiteral("t"), QStringLiteral("e"));
            break;
        default:
            break;
        }
        if (formula)
            xml.writeTextElement(mainNamespace, QStringLiteral("f"), cell.formula.mid(1));
        switch (cell.type) {
        case Cell::Empty:
            break;
        case Cell::Number:
            xml.writeTextElement(mainNamespace, QStringLiteral("v"), QString::number(cell.number, 'g', 17));
            break;
        case Cell::Text:
            if (formula) {
                xml.writeTextElement(mainNamespace, QStringLiteral("v"), cell.text);
            } else {
                xml.writeStartElement(mainNamespace, QStringLiteral("is"));
                xml.writeStartElement(mainNamespace, QStringLiteral("t"));
                xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                xml.writeCharacters(cell.text);
                xml.writeEndElement();
                xml.writeEndElement();
            }
            break;
        case Cell::Boolean:
            xml.writeTextElement(mainNamespace, QStringLiteral("v"), cell.boolean ? QStringLiteral("1") : QStringLiteral("0"));
            break;
        case Cell::Error:
            xml.writeTextElement(mainNamespace, QStringLiteral("v"), errorName(cell.error));
            break;
        }
        xml.writeEndElement();
    }
    if (openRow)
        xml.writeEndElement();
    xml.writeEndElement(); // sheetData
    if (!sheet.links.isEmpty()) {
        xml.writeStartElement(mainNamespace, QStringLiteral("hyperlinks"));
        for (auto it = sheet.links.cbegin(); it != sheet.links.cend(); ++it) {
            xml.writeStartElement(mainNamespace, QStringLiteral("hyperlink"));
            xml.writeAttribute(QStringLiteral("ref"), columnName(it.key().second) + QString::number(it.key().first));
            if (!it.value().address.isEmpty()) {
                linkTargets.append(it.value().address);
                xml.writeAttribute(relationshipNamespace, QStringLiteral("id"), QStringLiteral("rIdLink%1").arg(linkTargets.size()));
            }
            if (!it.value().subAddress.isEmpty())
                xml.writeAttribute(QStringLiteral("location"), it.value().subAddress);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray relationshipsXml(const QVector<Relationship> &all)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(ns);
    xml.writeStartElement(ns, QStringLiteral("Relationships"));
    for (int i = 0; i < all.size(); ++i) {
        xml.writeStartElement(ns, QStringLiteral("Relationship"));
        xml.writeAttribute(QStringLiteral("Id"), all[i].external ? QStringLiteral("rIdLink%1").arg(i + 1) : QStringLiteral("rId%1").arg(i + 1));
        xml.writeAttribute(QStringLiteral("Type"), all[i].type);
        xml.writeAttribute(QStringLiteral("Target"), all[i].target);
        if (all[i].external)
            xml.writeAttribute(QStringLiteral("TargetMode"), QStringLiteral("External"));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

const char *const stylesXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"22\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";

} // namespace

bool XlsxFile::read(const QString &path, Workbook &workbook, QString &whyNot)
{
    const QByteArray bytes = fileBytes(path, whyNot);
    if (bytes.isNull())
        return false;
    if (!compoundFileStream(bytes, QStringLiteral("EncryptionInfo")).isEmpty()) {
        workbook.traits.passwordToOpen = true;
        return true;
    }
    ZipArchive archive;
    if (!archive.read(bytes) || !archive.contains(QStringLiteral("xl/workbook.xml"))) {
        whyNot = QStringLiteral("not a workbook");
        return false;
    }
    const QHash<QString, Relationship> rels = relationships(archive, QStringLiteral("xl/_rels/workbook.xml.rels"));
    for (const Relationship &r : rels) {
        if (r.type == QLatin1String("externalLink"))
            ++workbook.traits.externalLinks;
    }
    const QByteArray macros = archive.member(QStringLiteral("xl/vbaProject.bin"));
    workbook.traits.openMacro = macros.contains("Workbook_Open");
    const QStringList strings = sharedStrings(archive);
    const QVector<Cell::Format> formats = styleFormats(archive);
    bool missingSheet = false;
    forEachElement(archive.member(QStringLiteral("xl/workbook.xml")), [&](QXmlStreamReader &xml) {
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("fileSharing")) {
            workbook.traits.readOnlyRecommended = a.value(QLatin1String("readOnlyRecommended")) == QLatin1String("1");
            workbook.traits.passwordToModify = a.hasAttribute(QLatin1String("reservationPassword"))
                || a.hasAttribute(QLatin1String("hashValue"));
        } else if (xml.name() == QLatin1String("sheet")) {
            auto sheet = std::make_shared<Sheet>();
            sheet->name = a.value(QLatin1String("name")).toString();
            const QString target = rels.value(a.value(relationshipNamespace, QLatin1String("id")).toString()).target;
            const QString part = partPath(QStringLiteral("xl/workbook.xml"), target);
            // A sheet whose part cannot be found is never taken for an empty one.
            if (target.isEmpty() || !archive.contains(part))
                missingSheet = true;
            readSheet(archive, part, strings, formats, *sheet);
            workbook.sheets.append(sheet);
        }
    });
    if (workbook.sheets.isEmpty() || missingSheet) {
        whyNot = QStringLiteral("a sheet is missing");
        return false;
    }
    return true;
}

bool XlsxFile::write(const Workbook &workbook, const QString &path, QString &whyNot)
{
    const bool macros = workbook.format == Workbook::Xlsm;
    ZipArchive archive;
    QByteArray types = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    types += macros ? "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.ms-excel.sheet.macroEnabled.main+xml\"/>"
                    : "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
    types += "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    for (int i = 1; i <= workbook.sheets.size(); ++i)
        types += QStringLiteral("<Override PartName=\"/xl/worksheets/sheet%1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>").arg(i).toUtf8();
    types += "</Types>";
    archive.replace(QStringLiteral("[Content_Types].xml"), types);
    archive.replace(QStringLiteral("_rels/.rels"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                    "</Relationships>");

    QByteArray book;
    QXmlStreamWriter xml(&book);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeDefaultNamespace(mainNamespace);
    xml.writeNamespace(relationshipNamespace, QStringLiteral("r"));
    xml.writeStartElement(mainNamespace, QStringLiteral("workbook"));
    xml.writeStartElement(mainNamespace, QStringLiteral("sheets"));
    QVector<Relationship> bookRels;
    const QString officeType = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    for (int i = 0; i < workbook.sheets.size(); ++i) {
        xml.writeStartElement(mainNamespace, QStringLiteral("sheet"));
        xml.writeAttribute(QStringLiteral("name"), workbook.sheets[i]->name);
        xml.writeAttribute(QStringLiteral("sheetId"), QString::number(i + 1));
        xml.writeAttribute(relationshipNamespace, QStringLiteral("id"), QStringLiteral("rId%1").arg(i + 1));
        xml.writeEndElement();
        bookRels.append({officeType + QStringLiteral("worksheet"), QStringLiteral("worksheets/sheet%1.xml").arg(i + 1), false});

        QStringList targets;
        archive.replace(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), sheetXml(*workbook.sheets[i], targets));
        if (!targets.isEmpty()) {
            QVector<Relationship> links;
            for (const QString &target : targets)
                links.append({officeType + QStringLiteral("hyperlink"), target, true});
            archive.replace(QStringLiteral("xl/worksheets/_rels/sheet%1.xml.rels").arg(i + 1), relationshipsXml(links));
        }
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    archive.replace(QStringLiteral("xl/workbook.xml"), book);
    bookRels.append({officeType + QStringLiteral("styles"), QStringLiteral("styles.xml"), false});
    archive.replace(QStringLiteral("xl/_rels/workbook.xml.rels"), relationshipsXml(bookRels));
    archive.replace(QStringLiteral("xl/styles.xml"), stylesXml);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(archive.bytes()) < 0 || !file.commit()) {
        whyNot = file.errorString();
        return false;
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The put-backs over small packages made here, an original and the package
// LibreOffice would store from it, each shaped as real writers shape theirs:
// whatever the prefixes, comments and odd spacing, the output is well-formed,
// keeps what it should, and what cannot be kept is left out and said.

#include "fileformats/ZipArchive.h"
#include "fileformats/putback/OriginalParts.h"
#include "fileformats/putback/PutBackCheck.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "fileformats/putback/XmlPart.h"

#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QByteArray mainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray relationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const QString sheetPart = QStringLiteral("xl/worksheets/sheet1.xml");
const QString stylesPart = QStringLiteral("xl/styles.xml");
const QString workbookPart = QStringLiteral("xl/workbook.xml");

QByteArray relationshipsXml(const QByteArray &list)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        + list + "</Relationships>";
}

QByteArray relationship(const QByteArray &id, const QByteArray &type, const QByteArray &target)
{
    return "<Relationship Id=\"" + id + "\" Type=\"" + relationships + "/" + type + "\" Target=\"" + target + "\"/>";
}

// A workbook of one sheet "Data"; parts may be replaced or added.
struct Package
{
    QMap<QString, QByteArray> parts{
        {QStringLiteral("[Content_Types].xml"),
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Default Extension=\"png\" ContentType=\"image/png\"/>"
         "<Default Extension=\"emf\" ContentType=\"image/x-emf\"/>"
         "<Default Extension=\"vml\" ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>"
         "<Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
         "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
         "<Override PartName=\"/xl/styles.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></Types>"},
        {QStringLiteral("_rels/.rels"), relationshipsXml(relationship("rId1", "officeDocument", "xl/workbook.xml"))},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         relationshipsXml(relationship("rId1", "worksheet", "worksheets/sheet1.xml")
                          + relationship("rId2", "styles", "styles.xml"))},
        {workbookPart, "<workbook xmlns=\"" + mainNamespace + "\" xmlns:r=\"" + relationships
                           + "\"><workbookPr/><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {stylesPart, "<styleSheet xmlns=\"" + mainNamespace + "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
                     "</fonts><cellXfs count=\"1\"><xf fontId=\"0\"/></cellXfs></styleSheet>"},
        {sheetPart, storedSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")},
    };

    // As LibreOffice writes a sheet: its own page setup and selection.
    static QByteArray storedSheet(const QByteArray &cells, const QByteArray &beforePrint = QByteArray(),
                                  const QByteArray &end = QByteArray())
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"" + mainNamespace
            + "\" xmlns:r=\"" + relationships
            + "\"><sheetPr filterMode=\"false\"><pageSetUpPr fitToPage=\"false\"/></sheetPr><dimension ref=\"A1\"/>"
              "<sheetViews><sheetView workbookViewId=\"0\"><selection activeCell=\"A1\" sqref=\"A1\"/></sheetView>"
              "</sheetViews><sheetFormatPr defaultRowHeight=\"12.8\"/><sheetData>"
            + cells + "</sheetData>" + beforePrint
            + "<printOptions headings=\"false\"/><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
              "header=\"0.3\" footer=\"0.3\"/><pageSetup orientation=\"portrait\" scale=\"100\"/>"
              "<headerFooter differentFirst=\"false\"/>"
            + end + "</worksheet>";
    }

    ZipArchive archive() const
    {
        ZipArchive archive;
        for (auto it = parts.constBegin(); it != parts.constEnd(); ++it)
            archive.replace(it.key(), it.value());
        return archive;
    }
};

OriginalParts::Outcome restored(const Package &original, const Package &stored,
                                const WorkbookEdits &edits = WorkbookEdits())
{
    return OriginalParts::restore(original.archive(), stored.archive(), edits, QStringLiteral("crafted.xlsx"));
}

// Every XML part of the package reads whole with its prefixes bound, and no
// two names differ only in case.
void verifyWellFormed(const ZipArchive &archive)
{
    QSet<QString> lowerNames;
    for (const QString &name : archive.names()) {
        QVERIFY2(!lowerNames.contains(name.toLower()), qPrintable(name));
        lowerNames.insert(name.toLower());
        if (!name.endsWith(QLatin1String(".xml")) && !name.endsWith(QLatin1String(".rels"))
            && !name.endsWith(QLatin1String(".vml")))
            continue;
        QXmlStreamReader xml(archive.member(name));
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(name + QLatin1String(": ") + xml.errorString()));
    }
}

struct Found
{
    int depth;
    QXmlStreamAttributes attributes;
    QString text;
};

// The elements of that local name in the main namespace, with their depth
// below the root (its children are 1) and their text.
QVector<Found> elements(const QByteArray &xml, const QString &name)
{
    QVector<Found> found;
    QXmlStreamReader reader(xml);
    int depth = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement())
            --depth;
        if (!reader.isStartElement())
            continue;
        ++depth;
        if (reader.name() == name && reader.namespaceUri() == QLatin1String(mainNamespace)) {
            found.append({depth, reader.attributes(), QString()});
            if (name == QLatin1String("f") || name == QLatin1String("oddHeader")) {
                found.last().text = reader.readElementText();
                --depth;
            }
        }
    }
    return found;
}

QString attribute(const Found &element, const QString &name)
{
    return element.attributes.value(name).toString();
}

} // namespace

class FileFormatsPutBackTest : public QObject
{
    Q_OBJECT

private slots:
    void foreignNamespaceAttributesAreNotLeftUnbound();
    void quotesInFontAndCodeNames();
    void commentsAndSpacedEndTagsAreNotElements();
    void formulaTextAboveAHiddenRowIsLeftAlone();
    void headerPictureGoesAmongTheSheetsOwnChildren();
    void customViewsKeepTheirOwnPageSetup();
    void picturesWhoseNamesDifferInCaseStayApart();
    void embeddedObjectsInAlternateContentAreKept();
    void failingPutBackIsLeftOutAndSaid();
    void checkFindsWhatIsWorseThanTheStore();
    void splicedSheetReadsAsIfReadAgain();
    void writtenSheetIsCheckedWithoutReadingItsCellsAgain();
    void partsReadAsTheirDeclarationSays();
    void putBacksChangingNothingLeaveTheStoredBytes();
};

void FileFormatsPutBackTest::foreignNamespaceAttributesAreNotLeftUnbound()
{
    Package original;
    original.parts[sheetPart] =
        "<worksheet xmlns=\"" + mainNamespace + "\" xmlns:r=\"" + relationships
        + "\" xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" mc:Ignorable=\"x14ac xr\" "
          "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\" "
          "xmlns:xr=\"http://schemas.microsoft.com/office/spreadsheetml/2014/revision\" xr:uid=\"{1}\">"
          "<sheetViews><sheetView workbookViewId=\"0\"><selection activeCell=\"C3\" sqref=\"C3\" xr:uid=\"{2}\"/>"
          "</sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"15\" x14ac:dyDescent=\"0.25\"/>"
          "<sheetData><row r=\"1\" x14ac:dyDescent=\"0.25\"><c r=\"A1\"><v>1</v></c></row></sheetData>"
          "<pageMargins left=\"1\" right=\"1\" top=\"1\" bottom=\"1\" header=\"0.5\" footer=\"0.5\" xr:uid=\"{3}\"/>"
          "<pageSetup orientation=\"landscape\" scale=\"55\" xr:uid=\"{4}\"/>"
          "<headerFooter xr:uid=\"{5}\"><oddHeader>&amp;CTitle</oddHeader></headerFooter></worksheet>";
    const OriginalParts::Outcome outcome = restored(original, Package());
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut, QStringList());
    const QByteArray sheet = outcome.archive.member(sheetPart);
    QCOMPARE(attribute(elements(sheet, "pageSetup").value(0), "scale"), QStringLiteral("55"));
    QCOMPARE(attribute(elements(sheet, "pageMargins").value(0), "left"), QStringLiteral("1"));
    QCOMPARE(elements(sheet, "oddHeader").value(0).text, QStringLiteral("&CTitle"));
    QCOMPARE(attribute(elements(sheet, "selection").value(0), "activeCell"), QStringLiteral("C3"));
    QVERIFY(!sheet.contains("xr:uid"));
}

void FileFormatsPutBackTest::quotesInFontAndCodeNames()
{
    Package original;
    original.parts[stylesPart] = "<styleSheet xmlns=\"" + mainNamespace
        + "\"><fonts count=\"2\"><font><name val=\"Calibri\"/></font><font><sz val=\"11\"/><name val='Say \"Hi\"'/>"
          "</font></fonts><cellXfs count=\"2\"><xf fontId=\"0\"/><xf fontId=\"1\"/></cellXfs></styleSheet>";
    original.parts[sheetPart] = Package::storedSheet("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row>");
    original.parts[workbookPart].replace("<workbookPr/>", "<workbookPr codeName='This\"Book'/>");
    original.parts[QStringLiteral("xl/_rels/workbook.xml.rels")] =
        relationshipsXml(relationship("rId1", "worksheet", "worksheets/sheet1.xml")
                         + relationship("rId2", "styles", "styles.xml")
                         + "<Relationship Id=\"rId3\" Type=\"http://schemas.microsoft.com/office/2006/relationships/"
                           "vbaProject\" Target=\"vbaProject.bin\"/>");
    original.parts[QStringLiteral("xl/vbaProject.bin")] = QByteArray("\xd0\xcf\x11\xe0 project", 12);
    original.parts[QStringLiteral("[Content_Types].xml")].replace(
        "</Types>", "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/></Types>");
    const OriginalParts::Outcome outcome = restored(original, Package());
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut, QStringList());
    QCOMPARE(attribute(elements(outcome.archive.member(workbookPart), "workbookPr").value(0), "codeName"),
             QStringLiteral("This\"Book"));
    const QByteArray styles = outcome.archive.member(stylesPart);
    const int format = attribute(elements(outcome.archive.member(sheetPart), "c").value(0), "s").toInt();
    const int font = attribute(elements(styles, "xf").value(format), "fontId").toInt();
    QCOMPARE(attribute(elements(styles, "name").value(font), "val"), QStringLiteral("Say \"Hi\""));
    QCOMPARE(attribute(elements(styles, "fonts").value(0), "count"), QString::number(elements(styles, "font").size()));
    QCOMPARE(outcome.archive.member(QStringLiteral("xl/vbaProject.bin")), original.parts.value("xl/vbaProject.bin"));
}

void FileFormatsPutBackTest::commentsAndSpacedEndTagsAreNotElements()
{
    Package original;
    original.parts[sheetPart] = "<worksheet xmlns=\"" + mainNamespace + "\"><sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v>"
        "</c></row></sheetData><!-- <headerFooter><oddHeader>Old</oddHeader> -->"
        "<pageSetup orientation=\"landscape\"/><headerFooter><oddHeader>&amp;CNew</oddHeader></headerFooter ></worksheet>";
    // A comment in the list of fonts is no font: the cell's font is the second.
    original.parts[stylesPart] = "<styleSheet xmlns=\"" + mainNamespace
        + "\"><fonts count=\"2\"><!-- <font><name val=\"Wrong\"/></font> --><font><name val=\"Calibri\"/></font>"
          "<font><name val=\"宋体\"/></font></fonts><cellXfs count=\"2\"><xf fontId=\"0\"/><xf fontId=\"1\"/></cellXfs>"
          "</styleSheet>";
    Package stored;
    stored.parts[sheetPart] = Package::storedSheet("<row r=\"1\"><c r=\"A1\" s=\"0\"><v>1</v></c></row>");
    const OriginalParts::Outcome outcome = restored(original, stored);
    verifyWellFormed(outcome.archive);
    const QByteArray sheet = outcome.archive.member(sheetPart);
    QCOMPARE(elements(sheet, "oddHeader").size(), 1);
    QCOMPARE(elements(sheet, "oddHeader").value(0).text, QStringLiteral("&CNew"));
    const QByteArray styles = outcome.archive.member(stylesPart);
    const int format = attribute(elements(sheet, "c").value(0), "s").toInt();
    const int font = attribute(elements(styles, "xf").value(format), "fontId").toInt();
    QCOMPARE(attribute(elements(styles, "name").value(font), "val"), QStringLiteral("宋体"));
}

void FileFormatsPutBackTest::formulaTextAboveAHiddenRowIsLeftAlone()
{
    const QByteArray formulaRow = "<row r=\"1\"><c r=\"A1\" t=\"str\"><f>\"a:row \"&amp;B1</f><v>a:row </v></c></row>";
    Package original;
    original.parts[sheetPart] = Package::storedSheet(formulaRow + "<row r=\"2\" ht=\"0\" customHeight=\"1\">"
                                                                  "<c r=\"A2\"><v>2</v></c></row>");
    Package stored;
    stored.parts[sheetPart] = Package::storedSheet(formulaRow + "<row r=\"2\" ht=\"12.8\"><c r=\"A2\"><v>2</v></c></row>");
    const OriginalParts::Outcome outcome = restored(original, stored);
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut, QStringList());
    const QByteArray sheet = outcome.archive.member(sheetPart);
    QCOMPARE(elements(sheet, "f").value(0).text, QStringLiteral("\"a:row \"&B1"));
    QCOMPARE(attribute(elements(sheet, "row").value(1), "ht"), QStringLiteral("0"));
    QVERIFY(elements(sheet, "row").value(0).attributes.value("ht").isNull());
}

void FileFormatsPutBackTest::headerPictureGoesAmongTheSheetsOwnChildren()
{
    const QByteArray dataBar =
        "<conditionalFormatting sqref=\"A1:A3\"><cfRule type=\"dataBar\" priority=\"1\"><dataBar><cfvo type=\"min\"/>"
        "<cfvo type=\"max\"/><color rgb=\"FF638EC6\"/></dataBar><extLst><ext "
        "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\" "
        "uri=\"{B025F937-C7B1-47D3-B67F-A62EFF666E3E}\"><x14:id>{0}</x14:id></ext></extLst></cfRule>"
        "</conditionalFormatting>";
    Package original;
    original.parts[sheetPart] = Package::storedSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", dataBar,
                                                     "<legacyDrawingHF r:id=\"rId1\"/>");
    original.parts[QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels")] =
        relationshipsXml(relationship("rId1", "vmlDrawing", "../drawings/vmlDrawingHF1.vml"));
    original.parts[QStringLiteral("xl/drawings/vmlDrawingHF1.vml")] =
        "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
        "<v:shape id=\"CH\"><v:imagedata o:relid=\"rId1\"/></v:shape></xml>";
    original.parts[QStringLiteral("xl/drawings/_rels/vmlDrawingHF1.vml.rels")] =
        relationshipsXml(relationship("rId1", "image", "../media/image1.png"));
    original.parts[QStringLiteral("xl/media/image1.png")] = "header picture";
    Package stored;
    stored.parts[sheetPart] = Package::storedSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", dataBar);
    const OriginalParts::Outcome outcome = restored(original, stored);
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut, QStringList());
    const QVector<Found> drawing = elements(outcome.archive.member(sheetPart), "legacyDrawingHF");
    QCOMPARE(drawing.size(), 1);
    QCOMPARE(drawing.first().depth, 1);
    QCOMPARE(outcome.archive.member(QStringLiteral("xl/media/image1.png")), QByteArray("header picture"));
    // After the header and footer, as the schema orders the sheet's children.
    const QByteArray sheet = outcome.archive.member(sheetPart);
    QVERIFY(sheet.indexOf("legacyDrawingHF") > sheet.indexOf("<headerFooter"));
    QVERIFY(sheet.indexOf("legacyDrawingHF") > sheet.indexOf("</conditionalFormatting>"));
}

void FileFormatsPutBackTest::customViewsKeepTheirOwnPageSetup()
{
    Package original;
    original.parts[sheetPart] =
        "<worksheet xmlns=\"" + mainNamespace + "\"><sheetData/><customSheetViews><customSheetView guid=\"{1}\">"
        "<pageMargins left=\"0.1\" right=\"0.1\" top=\"0.1\" bottom=\"0.1\" header=\"0\" footer=\"0\"/>"
        "<pageSetup orientation=\"portrait\" scale=\"100\"/><headerFooter><oddHeader>View</oddHeader></headerFooter>"
        "</customSheetView></customSheetViews>"
        "<pageMargins left=\"2\" right=\"2\" top=\"2\" bottom=\"2\" header=\"1\" footer=\"1\"/>"
        "<pageSetup orientation=\"landscape\" scale=\"55\"/><headerFooter><oddHeader>Sheet</oddHeader></headerFooter>"
        "</worksheet>";
    Package stored;
    stored.parts[sheetPart] = Package::storedSheet(QByteArray());
    const OriginalParts::Outcome outcome = restored(original, stored);
    verifyWellFormed(outcome.archive);
    const QByteArray sheet = outcome.archive.member(sheetPart);
    const QVector<Found> setup = elements(sheet, "pageSetup");
    QCOMPARE(setup.size(), 1);
    QCOMPARE(attribute(setup.first(), "orientation"), QStringLiteral("landscape"));
    QCOMPARE(attribute(setup.first(), "scale"), QStringLiteral("55"));
    QCOMPARE(attribute(elements(sheet, "pageMargins").value(0), "left"), QStringLiteral("2"));
    QCOMPARE(elements(sheet, "oddHeader").value(0).text, QStringLiteral("Sheet"));
}

void FileFormatsPutBackTest::picturesWhoseNamesDifferInCaseStayApart()
{
    Package original;
    original.parts[sheetPart] = Package::storedSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", QByteArray(),
                                                     "<legacyDrawingHF r:id=\"rId1\"/>");
    original.parts[QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels")] =
        relationshipsXml(relationship("rId1", "vmlDrawing", "../drawings/vmlDrawingHF1.vml"));
    original.parts[QStringLiteral("xl/drawings/vmlDrawingHF1.vml")] =
        "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
        "<v:shape id=\"CH\"><v:imagedata o:relid=\"rId1\"/></v:shape></xml>";
    original.parts[QStringLiteral("xl/drawings/_rels/vmlDrawingHF1.vml.rels")] =
        relationshipsXml(relationship("rId1", "image", "../media/Image1.png"));
    original.parts[QStringLiteral("xl/media/Image1.png")] = "header picture";
    Package stored;
    stored.parts[QStringLiteral("xl/media/image1.png")] = "LibreOffice's picture";
    const OriginalParts::Outcome outcome = restored(original, stored);
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut, QStringList());
    QCOMPARE(outcome.archive.member(QStringLiteral("xl/media/image1.png")), QByteArray("LibreOffice's picture"));
    const QString drawingRelationships = QStringLiteral("xl/drawings/_rels/vmlDrawingHF1.vml.rels");
    QXmlStreamReader xml(outcome.archive.member(drawingRelationships));
    QString target;
    while (xml.readNextStartElement() || !xml.atEnd())
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship"))
            target = xml.attributes().value("Target").toString();
    QVERIFY2(target.compare(QLatin1String("../media/image1.png"), Qt::CaseInsensitive) != 0, qPrintable(target));
    QCOMPARE(outcome.archive.member(QDir::cleanPath(QStringLiteral("xl/drawings/") + target)),
             QByteArray("header picture"));
}

void FileFormatsPutBackTest::embeddedObjectsInAlternateContentAreKept()
{
    // As Excel writes an embedded document: the choice for Excel 2010 and
    // later, the fallback for older readers, both naming the same parts.
    Package original;
    original.parts[sheetPart] =
        Package::storedSheet(
            "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", QByteArray(),
            "<legacyDrawing r:id=\"rId1\"/><oleObjects><mc:AlternateContent "
            "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><mc:Choice Requires=\"x14\">"
            "<oleObject progId=\"Word.Document.12\" shapeId=\"1025\" r:id=\"rId2\"><objectPr defaultSize=\"0\" "
            "r:id=\"rId3\"><anchor moveWithCells=\"1\"><from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1"
            "</xdr:row><xdr:rowOff>0</xdr:rowOff></from><to><xdr:col>4</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>8"
            "</xdr:row><xdr:rowOff>0</xdr:rowOff></to></anchor></objectPr></oleObject></mc:Choice><mc:Fallback>"
            "<oleObject progId=\"Word.Document.12\" shapeId=\"1025\" r:id=\"rId2\"/></mc:Fallback>"
            "</mc:AlternateContent></oleObjects>")
            .replace("<worksheet ", "<worksheet xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
                                    "spreadsheetDrawing\" xmlns:x14=\"http://schemas.microsoft.com/office/"
                                    "spreadsheetml/2009/9/main\" ");
    original.parts[QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels")] =
        relationshipsXml(relationship("rId1", "vmlDrawing", "../drawings/vmlDrawing1.vml")
                         + relationship("rId2", "package", "../embeddings/Document1.docx")
                         + relationship("rId3", "image", "../media/image1.emf"));
    original.parts[QStringLiteral("xl/drawings/vmlDrawing1.vml")] =
        "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
        "<v:shapetype id=\"_x0000_t75\"/><v:shape id=\"_x0000_s1025\" type=\"#_x0000_t75\">"
        "<v:imagedata o:relid=\"rId1\"/></v:shape></xml>";
    original.parts[QStringLiteral("xl/drawings/_rels/vmlDrawing1.vml.rels")] =
        relationshipsXml(relationship("rId1", "image", "../media/image1.emf"));
    original.parts[QStringLiteral("xl/embeddings/Document1.docx")] = "embedded document";
    original.parts[QStringLiteral("xl/media/image1.emf")] = "preview";
    original.parts[QStringLiteral("[Content_Types].xml")].replace(
        "</Types>", "<Default Extension=\"docx\" ContentType=\"application/vnd.openxmlformats-officedocument."
                    "wordprocessingml.document\"/></Types>");
    const OriginalParts::Outcome outcome = restored(original, Package());
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut, QStringList());
    const QByteArray sheet = outcome.archive.member(sheetPart);
    const QVector<Found> objects = elements(sheet, "oleObject");
    QCOMPARE(objects.size(), 2);
    QCOMPARE(elements(sheet, "oleObjects").value(0).depth, 1);
    QCOMPARE(elements(sheet, "legacyDrawing").size(), 1);
    // Both name the embedded document, through the stored sheet's own ids.
    QXmlStreamReader xml(outcome.archive.member(QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels")));
    QHash<QString, QString> targets;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship"))
            targets.insert(xml.attributes().value("Id").toString(), xml.attributes().value("Target").toString());
    for (const Found &object : objects) {
        const QString id = object.attributes.value(QString::fromLatin1(relationships), "id").toString();
        QCOMPARE(outcome.archive.member(QDir::cleanPath(QStringLiteral("xl/worksheets/") + targets.value(id))),
                 QByteArray("embedded document"));
    }
    QVERIFY(outcome.archive.names().contains(QStringLiteral("xl/media/image1.emf")));
}

void FileFormatsPutBackTest::failingPutBackIsLeftOutAndSaid()
{
    // The very hidden sheet is not in the stored workbook, and a sheet's
    // relationships do not read: those put-backs are left out, the page
    // setup is kept.
    Package original;
    original.parts[workbookPart].replace("</sheets>", "<sheet name=\"Hidden\" sheetId=\"2\" state=\"veryHidden\" "
                                                      "r:id=\"rId9\"/></sheets>");
    original.parts[sheetPart] = Package::storedSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", QByteArray(),
                                                     "<legacyDrawingHF r:id=\"rId1\"/>")
                                    .replace("scale=\"100\"", "scale=\"77\"");
    original.parts[QStringLiteral("xl/worksheets/_rels/sheet1.xml.rels")] = "<Relationships><Relationship Id=\"rId1\"";
    const OriginalParts::Outcome outcome = restored(original, Package());
    verifyWellFormed(outcome.archive);
    QCOMPARE(outcome.leftOut.size(), 2);
    QVERIFY2(outcome.leftOut.at(0).contains(QLatin1String("very hidden")), qPrintable(outcome.leftOut.at(0)));
    QVERIFY2(outcome.leftOut.at(1).contains(QLatin1String("embedded documents"))
                 && outcome.leftOut.at(1).contains(QLatin1String("relationships")),
             qPrintable(outcome.leftOut.at(1)));
    QCOMPARE(attribute(elements(outcome.archive.member(sheetPart), "pageSetup").value(0), "scale"),
             QStringLiteral("77"));
    QCOMPARE(outcome.archive.member(workbookPart), Package().parts.value(workbookPart));

    // A put-back whose output fails the check is left out too: here the
    // VBA project has no content type to carry over.
    Package macros;
    macros.parts[workbookPart].replace("<workbookPr/>", "<workbookPr codeName=\"ThisWorkbook\"/>");
    macros.parts[QStringLiteral("xl/_rels/workbook.xml.rels")] =
        relationshipsXml(relationship("rId1", "worksheet", "worksheets/sheet1.xml")
                         + relationship("rId2", "styles", "styles.xml")
                         + "<Relationship Id=\"rId3\" Type=\"http://schemas.microsoft.com/office/2006/relationships/"
                           "vbaProject\" Target=\"vbaProject.bin\"/>");
    macros.parts[QStringLiteral("xl/vbaProject.bin")] = "project";
    macros.parts[sheetPart].replace("scale=\"100\"", "scale=\"66\"");
    const OriginalParts::Outcome withoutProject = restored(macros, Package());
    QCOMPARE(withoutProject.leftOut.size(), 1);
    QVERIFY2(withoutProject.leftOut.first().contains(QLatin1String("VBA project"))
                 && withoutProject.leftOut.first().contains(QLatin1String("no content type")),
             qPrintable(withoutProject.leftOut.first()));
    QVERIFY(!withoutProject.archive.contains(QStringLiteral("xl/vbaProject.bin")));
    QCOMPARE(attribute(elements(withoutProject.archive.member(sheetPart), "pageSetup").value(0), "scale"),
             QStringLiteral("66"));
}

void FileFormatsPutBackTest::checkFindsWhatIsWorseThanTheStore()
{
    const ZipArchive stored = Package().archive();
    const auto problem = [&](const QString &part, const QByteArray &content) {
        ZipArchive output = stored;
        output.replace(part, content);
        return PutBackCheck(stored).problem(output, {part});
    };
    QVERIFY(problem(sheetPart, Package().parts.value(sheetPart)).isEmpty());
    const QByteArray sheet = Package().parts.value(sheetPart);
    const QString changedValue = problem(sheetPart, QByteArray(sheet).replace("<v>1</v>", "<v>2</v>"));
    QVERIFY2(changedValue.contains("other cells"), qPrintable(changedValue));
    QVERIFY(problem(sheetPart, QByteArray(sheet).replace("<pageSetup ", "<pageSetup xr:uid=\"{1}\" "))
                .contains("not well-formed"));
    QVERIFY(problem(sheetPart, QByteArray(sheet).replace("<worksheet ", "<worksheet xmlns:mc=\"http://schemas."
                                                                        "openxmlformats.org/markup-compatibility/2006\" "
                                                                        "mc:Ignorable=\"xr\" "))
                .contains("undeclared prefix"));
    QVERIFY(problem(sheetPart, QByteArray(sheet).replace("<dimension ref=\"A1\"/>", "")
                                   .replace("</worksheet>", "<dimension ref=\"A1\"/></worksheet>"))
                .contains("out of order"));
    QVERIFY(problem(QStringLiteral("xl/_rels/workbook.xml.rels"),
                    relationshipsXml(relationship("rId1", "worksheet", "worksheets/sheet1.xml")
                                     + relationship("rId2", "styles", "missing.xml")))
                .contains("missing part"));
    QVERIFY(problem(QStringLiteral("XL/Styles.xml"), "<styleSheet/>").contains("differ only in case"));
    QVERIFY(problem(QStringLiteral("xl/media/picture.gif"), "GIF").contains("no content type"));
}

// A sheet's rows and cells are moved after a splice rather than read again:
// they must be where a fresh reading finds them.
void FileFormatsPutBackTest::splicedSheetReadsAsIfReadAgain()
{
    XmlPart sheet(Package::storedSheet("<row r=\"1\" ht=\"20\"><c r=\"A1\" s=\"0\"><v>1</v></c><c r=\"B1\"><v>2</v></c>"
                                       "</row><row r=\"2\"><c r=\"A2\" s='1'><f>A1</f><v>1</v></c></row>"));
    QCOMPARE(sheet.cells().size(), 3);
    const XmlPart::Row first = sheet.rows().at(0);
    const XmlPart::Cell last = sheet.cells().at(2);
    const int views = sheet.child(sheet.root(), QString::fromLatin1(mainNamespace), QStringLiteral("sheetViews"));
    const int setup = sheet.child(sheet.root(), QString::fromLatin1(mainNamespace), QStringLiteral("pageSetup"));
    sheet.splice({{sheet.element(views).start, sheet.element(views).end, QString()},
                  {first.start, first.tagEnd, sheet.retagged(first.start, first.tagEnd, {{"ht", QString()}})},
                  {last.start, last.tagEnd, sheet.retagged(last.start, last.tagEnd, {{"s", "12"}, {"t", "str"}})},
                  {sheet.element(setup).start, sheet.element(setup).end, "<pageSetup scale=\"55\"/>"}});
    const XmlPart again(sheet.bytes());
    QVERIFY(again.error().isEmpty());
    QCOMPARE(sheet.elements().size(), again.elements().size());
    for (int i = 0; i < again.elements().size(); ++i) {
        QCOMPARE(sheet.element(i).start, again.element(i).start);
        QCOMPARE(sheet.element(i).end, again.element(i).end);
        QCOMPARE(sheet.element(i).contentEnd, again.element(i).contentEnd);
    }
    for (int i = 0; i < again.cells().size(); ++i) {
        QCOMPARE(sheet.cells().at(i).start, again.cells().at(i).start);
        QCOMPARE(sheet.cells().at(i).tagEnd, again.cells().at(i).tagEnd);
        QCOMPARE(sheet.cells().at(i).style, i == 2 ? 1 : again.cells().at(i).style);
    }
    QCOMPARE(sheet.rows().at(1).start, again.rows().at(1).start);
    QCOMPARE(again.cells().at(2).style, 12);
    QCOMPARE(sheet.text().mid(again.rows().at(0).start, again.rows().at(0).tagEnd - again.rows().at(0).start),
             QStringLiteral("<row r=\"1\">"));
    QCOMPARE(again.text().mid(again.cells().at(2).start, again.cells().at(2).tagEnd - again.cells().at(2).start),
             QStringLiteral("<c r=\"A2\" s=\"12\" t=\"str\">"));
}

// A sheet as the put-backs left it is checked by its text, its cells taken
// for LibreOffice's own where only their heights and styles changed; any
// other change to them is still found.
void FileFormatsPutBackTest::writtenSheetIsCheckedWithoutReadingItsCellsAgain()
{
    const ZipArchive stored = Package().archive();
    XmlPart storedSheet(Package::storedSheet("<row r=\"1\" ht=\"20\"><c r=\"A1\" s=\"0\"><v>1</v></c><c r=\"B1\"/></row>"
                                             "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c></row>"));
    QVERIFY(storedSheet.error().isEmpty());
    // Each change splices the first row's tag, the second cell's tag and
    // the page setup, as the put-backs do.
    const auto problem = [&](const QString &rowTag, const QString &cellTag) {
        XmlPart written = storedSheet;
        const XmlPart::Row row = written.rows().at(0);
        const XmlPart::Cell cell = written.cells().at(1);
        const int setup = written.child(written.root(), QString::fromLatin1(mainNamespace), QStringLiteral("pageSetup"));
        written.splice({{row.start, row.tagEnd, rowTag},
                        {cell.start, cell.tagEnd, cellTag},
                        {written.element(setup).start, written.element(setup).end, "<pageSetup scale=\"55\"/>"}});
        ZipArchive output = stored;
        output.replace(sheetPart, written.bytes());
        PutBackCheck check(stored);
        check.knowStoredSheet(sheetPart, storedSheet);
        return check.problem(output, {sheetPart}, {{sheetPart, written}});
    };
    QVERIFY(problem("<row r=\"1\">", "<c r=\"B1\" s=\"7\"/>").isEmpty());
    QVERIFY(problem("<row r=\"1\" ht=\"0\" customHeight=\"1\">", "<c r=\"B1\"/>").isEmpty());
    const QString otherType = problem("<row r=\"1\">", "<c r=\"B1\" t=\"s\"/>");
    QVERIFY2(otherType.contains("other cells"), qPrintable(otherType));
    QVERIFY(problem("<row r=\"1\">", "<c r=\"B1\" s=\"1\" s=\"2\"/>").contains("not well-formed"));
    QVERIFY(problem("<row r=\"1\">", "<c r=\"B1\" x:s=\"1\"/>").contains("not well-formed"));
    QVERIFY(problem("<row r=\"1\">", "<c r=\"B1\">").contains("not well-formed"));
}

// Offsets into the text hold whatever encoding the declaration names.
void FileFormatsPutBackTest::partsReadAsTheirDeclarationSays()
{
    for (const QByteArray &declaration : {QByteArray("UTF-8"), QByteArray("ISO-8859-1")}) {
        const XmlPart part("<?xml version=\"1.0\" encoding=\"" + declaration + "\"?><a><b x=\"\xC3\xA9\xC3\xA9\"/><c/></a>");
        QVERIFY(part.error().isEmpty());
        const XmlPart::Element &c = part.element(2);
        QCOMPARE(part.text().mid(c.start, c.end - c.start), QStringLiteral("<c/>"));
        QCOMPARE(part.element(1).attribute(QStringLiteral("x")), QString::fromUtf8("\xC3\xA9\xC3\xA9"));
    }
}

// A put-back that writes what is there already leaves the part as stored.
void FileFormatsPutBackTest::putBacksChangingNothingLeaveTheStoredBytes()
{
    XmlPart sheet(Package().parts.value(sheetPart));
    const int views = sheet.child(sheet.root(), QString::fromLatin1(mainNamespace), QStringLiteral("sheetViews"));
    const XmlPart::Element element = sheet.element(views);
    sheet.splice({{element.start, element.end, sheet.text().mid(element.start, element.end - element.start)}});
    QVERIFY(!sheet.isChanged());
    sheet.splice({{element.start, element.end, QString()}});
    QVERIFY(sheet.isChanged());
}

QTEST_GUILESS_MAIN(FileFormatsPutBackTest)
#include "FileFormatsPutBackTest.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The cells each sheet of a file holds, counted on small workbooks made here:
// the sheet parts found however the package names them, and only the cells
// holding something counted.

#include "fileformats/SheetCellCounts.h"
#include "fileformats/ZipArchive.h"

#include <QtEndian>
#include <QtTest>

namespace {

const QByteArray mainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray relationshipsNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// Two sheets, their parts named by the given targets; the first's root
// declares its namespace with a prefix, as some writers do.
ZipArchive package(const QByteArray &firstTarget, const QByteArray &secondTarget)
{
    ZipArchive archive;
    archive.replace("_rels/.rels",
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" Type=\"" + relationshipsNamespace + "/officeDocument\" "
                    "Target=\"xl/workbook.xml\"/></Relationships>");
    archive.replace("xl/workbook.xml",
                    "<x:workbook xmlns:x=\"" + mainNamespace + "\" xmlns:rel=\"" + relationshipsNamespace + "\">"
                    "<!-- <sheet name=\"Commented\" rel:id=\"rId9\"/> --><x:sheets>"
                    "<x:sheet name=\"First\" sheetId=\"1\" rel:id=\"rId1\"/>"
                    "<x:sheet name=\"Second\" sheetId=\"2\" rel:id=\"rId2\"/></x:sheets></x:workbook>");
    archive.replace("xl/_rels/workbook.xml.rels",
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Target=\"" + firstTarget + "\" Id=\"rId1\" Type=\"" + relationshipsNamespace + "/worksheet\"/>"
                    "<Relationship Id=\"rId2\" Type=\"" + relationshipsNamespace + "/worksheet\" Target=\"" + secondTarget + "\"/>"
                    "</Relationships>");
    // A value, a formula without a stored result, an inline string, a
    // logical and an error count; a cell with only a style, an empty value,
    // cells inside a comment and a foreign element's <c> do not.
    archive.replace("xl/worksheets/sheet1.xml",
                    "<s:worksheet xmlns:s=\"" + mainNamespace + "\" xmlns:o=\"urn:other\"><s:sheetData>"
                    "<s:row r=\"1\"><s:c r=\"A1\" s=\"1\"><s:v>1.5</s:v></s:c><s:c r=\"B1\" s=\"2\"/>"
                    "<s:c r=\"C1\"><s:f>A1*2</s:f></s:c><s:c r=\"D1\" t=\"inlineStr\"><s:is><s:t>x</s:t></s:is></s:c></s:row>"
                    "<!-- <s:row r=\"2\"><s:c r=\"A2\"><s:v>1</s:v></s:c></s:row> -->"
                    "<s:row r=\"3\"><s:c r=\"A3\" t=\"b\"><s:v>1</s:v></s:c><s:c r=\"B3\" t=\"e\"><s:v>#N/A</s:v></s:c>"
                    "<s:c r=\"C3\"><s:v></s:v></s:c><o:c r=\"D3\"><s:v>5</s:v></o:c></s:row>"
                    "</s:sheetData></s:worksheet>");
    archive.replace("xl/worksheets/sheet2.xml",
                    "<worksheet xmlns=\"" + mainNamespace + "\"><sheetData><row r=\"1\">"
                    "<c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><f t=\"shared\" si=\"0\"/><v>2</v></c>"
                    "</row></sheetData></worksheet>");
    return archive;
}

QByteArray record(quint16 type, const QByteArray &body)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint16>(type, bytes.data());
    qToLittleEndian<quint16>(quint16(body.size()), bytes.data() + 2);
    return bytes + body;
}

QByteArray beginOfFile(quint16 kind)
{
    QByteArray body(16, '\0');
    qToLittleEndian<quint16>(0x0600, body.data());
    qToLittleEndian<quint16>(kind, body.data() + 2);
    return record(0x0809, body);
}

QByteArray sharedStringCell(quint32 index)
{
    QByteArray body(10, '\0');
    qToLittleEndian<quint32>(index, body.data() + 6);
    return record(0x00FD, body);
}

// A BIFF8 workbook stream of one sheet holding a cell of each kind, blank
// cells, empty texts and a chart embedded in it. Its shared strings are
// "ab", "", "xyz" (going on in a CONTINUE record, two bytes a character
// there) and "".
QByteArray biffStream()
{
    const QByteArray cell(10, '\0');
    QByteArray sheet = beginOfFile(0x0010);
    sheet += sharedStringCell(1) + sharedStringCell(2) + sharedStringCell(3)
             + record(0x0204, QByteArray(9, '\0')); // an empty LABEL
    sheet += record(0x00FD, cell) + record(0x0203, QByteArray(14, '\0')) + record(0x027E, cell)
             + record(0x0204, QByteArray("\0\0\0\0\0\0\1\0\0x", 10)) + record(0x0205, QByteArray(8, '\0'))
             + record(0x0006, QByteArray(22, '\0'));
    sheet += record(0x00BD, QByteArray(4 + 3 * 6 + 2, '\0')); // three RK cells
    sheet += record(0x0201, QByteArray(6, '\0')) + record(0x00BE, QByteArray(4 + 3 * 2 + 2, '\0'));
    sheet += beginOfFile(0x0020) + record(0x0203, QByteArray(14, '\0')) + record(0x000A, QByteArray());
    sheet += record(0x000A, QByteArray());

    QByteArray boundSheet(8, '\0');
    boundSheet += "Data";
    boundSheet[6] = 4;
    const QByteArray sharedStrings = record(0x00FC, QByteArray("\4\0\0\0\4\0\0\0" "\2\0\0ab" "\0\0\0" "\3\0\0x", 20))
                                     + record(0x003C, QByteArray("\1y\0z\0" "\0\0\0", 8));
    QByteArray globals = beginOfFile(0x0005) + record(0x0085, boundSheet) + sharedStrings + record(0x000A, QByteArray());
    qToLittleEndian<quint32>(quint32(globals.size()), globals.data() + beginOfFile(0).size() + 4);
    return globals + sheet;
}

} // namespace

class FileFormatsCellCountTest : public QObject
{
    Q_OBJECT

private slots:
    void ooxmlSheetsFoundHoweverTheirTargetsAreWritten_data();
    void ooxmlSheetsFoundHoweverTheirTargetsAreWritten();
    void ooxmlWithoutWorkbookGivesNone();
    void blocksLibreOfficeFillsCountedApart();
    void biffCellRecordsCounted();
};

void FileFormatsCellCountTest::ooxmlSheetsFoundHoweverTheirTargetsAreWritten_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("relative") << QByteArray("worksheets/sheet1.xml") << QByteArray("worksheets/sheet2.xml");
    QTest::newRow("dot and absolute") << QByteArray("./worksheets/sheet1.xml") << QByteArray("/xl/worksheets/sheet2.xml");
    QTest::newRow("dot-dot, case, escaped") << QByteArray("../xl/Worksheets/SHEET1.xml")
                                            << QByteArray("./worksheets/%73heet2.xml");
}

void FileFormatsCellCountTest::ooxmlSheetsFoundHoweverTheirTargetsAreWritten()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    const auto counts = SheetCellCounts::ofOoxml(package(first, second));
    QVERIFY(counts);
    QCOMPARE(counts->size(), 2);
    QCOMPARE(counts->at(0).sheet, QStringLiteral("First"));
    QCOMPARE(counts->at(0).cells, 5);
    QCOMPARE(counts->at(1).sheet, QStringLiteral("Second"));
    QCOMPARE(counts->at(1).cells, 2);
}

void FileFormatsCellCountTest::ooxmlWithoutWorkbookGivesNone()
{
    ZipArchive archive = package("worksheets/sheet1.xml", "worksheets/sheet2.xml");
    archive.replace("_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>");
    QVERIFY(!SheetCellCounts::ofOoxml(archive));
    // A sheet whose part is missing holds nothing the file could give.
    const auto counts = SheetCellCounts::ofOoxml(package("worksheets/missing.xml", "worksheets/sheet2.xml"));
    QVERIFY(counts);
    QCOMPARE(counts->at(0).cells, 0);
    // An empty list of sheets is a list: no sheet.
    archive = package("worksheets/sheet1.xml", "worksheets/sheet2.xml");
    archive.replace("xl/workbook.xml", "<workbook xmlns=\"" + mainNamespace + "\"><sheets/></workbook>");
    const auto none = SheetCellCounts::ofOoxml(archive);
    QVERIFY(none);
    QVERIFY(none->isEmpty());
}

// A pivot table's output and an array formula's range are counted apart,
// each in its block, so that what LibreOffice fills in there can be held
// against them.
void FileFormatsCellCountTest::blocksLibreOfficeFillsCountedApart()
{
    ZipArchive archive = package("worksheets/sheet1.xml", "worksheets/sheet2.xml");
    archive.replace("xl/worksheets/_rels/sheet2.xml.rels",
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" Type=\"" + relationshipsNamespace + "/pivotTable\" "
                    "Target=\"../pivotTables/pivotTable1.xml\"/></Relationships>");
    archive.replace("xl/pivotTables/pivotTable1.xml",
                    "<pivotTableDefinition xmlns=\"" + mainNamespace + "\"><location ref=\"D1:E3\"/></pivotTableDefinition>");
    archive.replace("xl/worksheets/sheet2.xml",
                    "<worksheet xmlns=\"" + mainNamespace + "\"><sheetData>"
                    "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"D1\" t=\"inlineStr\"><is><t>Sum</t></is></c>"
                    "<c r=\"E1\"><v>3</v></c></row>"
                    "<row r=\"2\"><c r=\"A2\"><f t=\"array\" ref=\"A2:B3\">C1:C2*2</f><v>2</v></c><c r=\"B2\"><v>4</v></c>"
                    "<c r=\"E2\"><v>5</v></c></row><row r=\"4\"><c r=\"B4\"><v>6</v></c></row>"
                    "</sheetData></worksheet>");
    const auto counts = SheetCellCounts::ofOoxml(archive);
    QVERIFY(counts);
    const SheetCellCount &sheet = counts->at(1);
    QCOMPARE(sheet.cells, 2);
    QCOMPARE(sheet.uncounted.size(), 2);
    QVERIFY(sheet.uncounted.at(0).pivotTable);
    QCOMPARE(sheet.uncounted.at(0).firstColumn, 3);
    QCOMPARE(sheet.uncounted.at(0).lastRow, 2);
    QCOMPARE(sheet.uncounted.at(0).cells, 3);
    QVERIFY(!sheet.uncounted.at(1).pivotTable);
    QCOMPARE(sheet.uncounted.at(1).cells, 2);
}

void FileFormatsCellCountTest::biffCellRecordsCounted()
{
    const auto counts = SheetCellCounts::ofBiff(biffStream());
    QVERIFY(counts);
    QCOMPARE(counts->size(), 1);
    QCOMPARE(counts->first().sheet, QStringLiteral("Data"));
    QCOMPARE(counts->first().cells, 10);
    QVERIFY(!SheetCellCounts::ofBiff(QByteArray("not a workbook")));
}

QTEST_GUILESS_MAIN(FileFormatsCellCountTest)
#include "FileFormatsCellCountTest.moc"

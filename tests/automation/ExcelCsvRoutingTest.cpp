// SPDX-License-Identifier: GPL-3.0-or-later
// A .csv given to Excel's Workbooks.Open goes to OpenText with the file's
// code page, separator and every column as text; what Excel read is checked
// against the bytes, and Save stores through SaveAs into the original's
// bytes. Excel here is a stand-in answering the members the routing calls
// as the Excel reference documents them; it says nothing of Excel's own
// parsing, which the Windows tests' server models.

#include "automation/ArrayOfArrays.h"
#include "automation/windows/ExcelCsvRouting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {

struct ExcelState
{
    QVariantList openTextArguments;
    // What Excel read: rows of cell texts from A1.
    QVector<QStringList> cells;
    // What SaveAs writes for each file format; a format missing is refused.
    QMap<int, QByteArray> stored;
    QStringList calls;
};

class StandIn : public AutomationObject
{
public:
    StandIn(ExcelState &state, QByteArray kind)
        : m_state(state)
        , m_kind(std::move(kind))
    {
    }

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override
    {
        m_state.calls << QString::fromLatin1(m_kind + "." + member);
        const QByteArray name = member.left(member.indexOf('(') < 0 ? member.size() : member.indexOf('('));
        static const QMap<QByteArray, QByteArray> subObjects{
            {"WorkBooks", "workbooks"}, {"Item", "workbook"}, {"Worksheets", "sheet"}, {"UsedRange", "used"},
            {"Rows", "rows"}, {"Columns", "columns"}, {"Range", "range"}};
        if (!subObjects.contains(name)) {
            error.raise(-1, QStringLiteral("Excel"), QStringLiteral("unknown member"));
            return nullptr;
        }
        Q_UNUSED(arguments)
        return std::make_shared<StandIn>(m_state, subObjects.value(name));
    }

    QVariant call(const QByteArray &member, const QVariantList &arguments, AutomationError &error) override
    {
        m_state.calls << QString::fromLatin1(m_kind + "." + member);
        if (member.startsWith("OpenText"))
            m_state.openTextArguments = arguments;
        if (member.startsWith("SaveAs")) {
            const int format = arguments.value(1).toInt();
            QFile file(arguments.value(0).toString());
            if (!m_state.stored.contains(format) || !file.open(QIODevice::WriteOnly))
                error.raise(0x800A03EC, QStringLiteral("Excel"), QStringLiteral("SaveAs failed"));
            else
                file.write(m_state.stored.value(format));
        }
        return QVariant();
    }

    QVariant property(const QByteArray &name, AutomationError &) override
    {
        int width = 0;
        for (const QStringList &row : qAsConst(m_state.cells))
            width = std::max(width, int(row.size()));
        if (name == "Row" || name == "Column")
            return 1;
        if (name == "Count")
            return m_kind == "rows" ? m_state.cells.size() : width;
        QVariantList rows;
        for (const QStringList &row : qAsConst(m_state.cells)) {
            QVariantList values;
            for (int column = 0; column < width; ++column)
                values << row.value(column);
            rows << QVariant(values);
        }
        return rows;
    }

    bool setProperty(const QByteArray &, const QVariant &, AutomationError &) override { return true; }

private:
    ExcelState &m_state;
    QByteArray m_kind;
};

} // namespace

class ExcelCsvRoutingTest : public QObject
{
    Q_OBJECT

private slots:
    void csvOpensAsTextInItsOwnCodePage();
    void whatExcelReadOtherwiseIsLeftAlone();
    void saveKeepsEveryByteButTheEdits();

private:
    QString write(const QByteArray &content);
    QTemporaryDir m_folder;
};

QString ExcelCsvRoutingTest::write(const QByteArray &content)
{
    const QString path = QDir::toNativeSeparators(m_folder.filePath(QStringLiteral("数据.csv")));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? path : QString();
}

void ExcelCsvRoutingTest::csvOpensAsTextInItsOwnCodePage()
{
    ExcelState state;
    state.cells = {{QStringLiteral("编号"), QStringLiteral("名称")}, {QStringLiteral("00123"), QStringLiteral("北京")}};
    const QString path = write(QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("编号;名称\r\n00123;北京\r\n")));
    const AutomationObjectPtr excel = routingCsvFiles(std::make_shared<StandIn>(state, "application"));
    AutomationError error;
    const AutomationObjectPtr workbooks = excel->querySubObject("WorkBooks", {}, error);
    QVERIFY(workbooks->querySubObject("Open(const QString&)", {path}, error));
    QVERIFY2(!error.raised, qPrintable(error.description));

    // Filename, Origin (GB18030's code page), StartRow, xlDelimited,
    // xlTextQualifierDoubleQuote, ConsecutiveDelimiter, Tab, Semicolon,
    // Comma, Space, Other, OtherChar, FieldInfo: (column, xlTextFormat).
    const QVariantList &arguments = state.openTextArguments;
    QCOMPARE(arguments.size(), 13);
    QCOMPARE(arguments.mid(0, 11),
             (QVariantList{path, 54936, 1, 1, 1, false, false, true, false, false, false}));
    // As Excel documents it: an array of two-element arrays.
    QVERIFY(arguments.at(12).canConvert<ArrayOfArrays>());
    const QVariantList fieldInfo = arguments.at(12).value<ArrayOfArrays>().arrays;
    QCOMPARE(fieldInfo.size(), 2 + 16);
    QCOMPARE(fieldInfo.first().toList(), (QVariantList{1, 2}));
    QCOMPARE(fieldInfo.last().toList(), (QVariantList{18, 2}));

    // Any other workbook opens as before.
    workbooks->querySubObject("Open(const QString&)", {QStringLiteral("C:\\book.xlsx")}, error);
    QVERIFY(state.calls.contains(QStringLiteral("workbooks.Open(const QString&)")));
}

void ExcelCsvRoutingTest::whatExcelReadOtherwiseIsLeftAlone()
{
    ExcelState state;
    state.cells = {{QStringLiteral("id"), QStringLiteral("amount")}, {QStringLiteral("123"), QStringLiteral("1.23E+17")}};
    const QByteArray content("id,amount\n00123,123456789012345678\n");
    const QString path = write(content);
    const AutomationObjectPtr excel = routingCsvFiles(std::make_shared<StandIn>(state, "application"));
    AutomationError error;
    QVERIFY(!excel->querySubObject("WorkBooks", {}, error)->querySubObject("Open(const QString&)", {path}, error));
    QVERIFY2(error.description.contains(QLatin1String("record 2")), qPrintable(error.description));
    QVERIFY(state.calls.contains(QStringLiteral("workbook.Close (Boolean)")));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

// Excel stores UTF-8 CSV with commas and LF, or where it cannot, UTF-16
// text with tabs; either way the Windows-1252 original keeps its bytes.
void ExcelCsvRoutingTest::saveKeepsEveryByteButTheEdits()
{
    QTextCodec *western = QTextCodec::codecForName("windows-1252");
    const QString original = QStringLiteral("nom;ville\r\nJosé;\"Orléans\"\r\n");
    const QString unicodeText = QStringLiteral("nom\tville\r\n\t\r\nJosé\tOrléans\r\n");
    QTextCodec::ConverterState noMark(QTextCodec::IgnoreHeader);
    const QByteArray utf16 = QByteArray("\xFF\xFE")
                             + QTextCodec::codecForName("UTF-16LE")->fromUnicode(unicodeText.constData(), unicodeText.size(), &noMark);
    for (const int format : {62, 42}) {
        ExcelState state;
        state.cells = {{QStringLiteral("nom"), QStringLiteral("ville")}, {QStringLiteral("José"), QStringLiteral("Orléans")}};
        state.stored.insert(42, utf16);
        if (format == 62)
            state.stored.insert(62, QStringLiteral("nom,ville\n,\nJosé,Orléans\n").toUtf8());
        const QString path = write(western->fromUnicode(original));
        const AutomationObjectPtr excel = routingCsvFiles(std::make_shared<StandIn>(state, "application"));
        AutomationError error;
        const AutomationObjectPtr workbook =
            excel->querySubObject("WorkBooks", {}, error)->querySubObject("Open(const QString&)", {path}, error);
        QVERIFY(workbook);
        workbook->call("Save()", {}, error);
        QVERIFY2(!error.raised, qPrintable(error.description));
        workbook->call("Close (Boolean)", {false}, error);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), western->fromUnicode(QStringLiteral("nom;ville\r\n;\r\nJosé;\"Orléans\"\r\n")));
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("数据.csv")});
    }
}

QTEST_GUILESS_MAIN(ExcelCsvRoutingTest)
#include "ExcelCsvRoutingTest.moc"

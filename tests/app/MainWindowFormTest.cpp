// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "app/ProgramPaths.h"
#include "app/SystemTray.h"
#include "WindowTestCase.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTranslator>
#include <QWheelEvent>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

namespace {

// The items of a layout, depth first, as "name" for widgets, "label:text" for
// unnamed-by-the-form labels and "spacer" for spacers.
QStringList itemsOf(const QLayout *layout)
{
    QStringList items;
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem *item = layout->itemAt(index);
        if (item->layout()) {
            items += itemsOf(item->layout());
        } else if (item->spacerItem()) {
            items += QStringLiteral("spacer");
        } else if (auto label = qobject_cast<QLabel *>(item->widget())) {
            items += label->objectName().startsWith(QLatin1String("lb_"))
                ? label->objectName()
                : QStringLiteral("label:") + label->text();
        } else if (item->widget()) {
            items += item->widget()->objectName();
        }
    }
    return items;
}

} // namespace

class MainWindowFormTest : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowTitleIconAndTab();
    void groupsInOrder();
    void groupContents_data();
    void groupContents();
    void buttonsAndCheckBoxes_data();
    void buttonsAndCheckBoxes();
    void spinBoxes_data();
    void spinBoxes();
    void lineEdits_data();
    void lineEdits();
    void sourceFolderButtonFont();
    void statusLineStartsWithTheNotice();
    void sizeAndPosition();
    void englishTextsForEveryWidget();
    void tabFollowsTheFormTopToBottom();
    void wheelChangesANumberOnlyWithFocus();
    void fillRowNamedInTheStatus();

    void sourcePathReadFromSettingsFile_data();
    void sourcePathReadFromSettingsFile();

    void appointedSheetNameFollowsItsCheckBox();
    void detectingEndRowFixesEndColumn();
    void detectingEndColumnFixesEndRow();

    void trayMenuAndLook();
    void traySettingsActionRestoresWindow();
    void trayGoesWithItsWindow();
    void trayActivation_data();
    void trayActivation();

private:
    // The fill's end boxes, the fill set from row 3, column 7 to row 40, column 12.
    struct FillEnds
    {
        QCheckBox *detectRows;
        QCheckBox *detectColumns;
        QSpinBox *endRow;
        QSpinBox *endColumn;
    };
    FillEnds fillFromRow3Column7ToRow40Column12();
};

void MainWindowFormTest::init()
{
    openWindow();
}

void MainWindowFormTest::cleanup()
{
    window.reset();
}

void MainWindowFormTest::windowTitleIconAndTab()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Gridwrighter2.3"));
    QVERIFY(!QIcon(QStringLiteral(":/images/vrq.ico")).availableSizes().isEmpty());
    QVERIFY(!window->windowIcon().availableSizes().isEmpty());

    auto tabs = child<QTabWidget>("tabWidget");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("软件设置"));
    QCOMPARE(tabs->currentIndex(), 0);
}

void MainWindowFormTest::groupsInOrder()
{
    auto page = child<QTabWidget>("tabWidget")->widget(0);
    const QStringList expected = { "groupBox_2", "groupBox", "groupBox_3", "groupBox_4",
                                   "groupBox_5", "groupBox_6", "lb_ShowDisposing", "pBtn_UndoLastJob",
                                   "pBar_Progress", "lb_Time", "pBtn_Stop" };
    QStringList shown = itemsOf(page->layout());
    shown.removeAll(QStringLiteral("spacer"));
    QCOMPARE(shown, expected);
}

void MainWindowFormTest::groupContents_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("preset") << "groupBox_2"
        << "预设置（修改不可逆,操作前请先备份,并关闭所有excel文件）"
        << QStringList{ "pBtn_SourcePath", "lEdt_SourcePath", "cBox_OnlyFirstSheet",
                        "cBox_AppointedSheet", "lEdt_AppointedSheetName", "cBox_DryRun" };
    QTest::newRow("rows and columns") << "groupBox"
        << "功能一、插入列或行、删除列或行（修改不可逆,操作前请先备份,并关闭所有excel文件）"
        << QStringList{ "label:在该行前：", "sBox_AddRow", "pBtn_AddRow",
                        "label:  在该列前：", "sBox_AddColumn", "pBtn_AddColumn", "spacer",
                        "label:该行：", "sBox_DeleteRow", "pBtn_DeleteRow",
                        "label:  该列：", "sBox_DeleteColumn", "pBtn_DeleteColumn" };
    QTest::newRow("formula fill") << "groupBox_3"
        << "功能二、批量设置公式（只需填好起始位置单元格公式,其他位置将会自动填充,与excel表格中进行拖动或复制公式效果一致）"
        << QStringList{ "label:复制公式起始位置(行X列)：", "sBox_CopyFormulaStartRow", "sBox_CopyFormulaStartColumn",
                        "label:  结束位置(行X列)：", "sBox_CopyFormulaEndRow", "sBox_CopyFormulaEndColumn",
                        "cBox_CopyFormulaEndRow", "cBox_CopyFormulaEndColumn", "spacer",
                        "label:公式：", "lEdt_FirstFormula", "pBtn_CopyFormula" };
    QTest::newRow("formula to value") << "groupBox_4" << "功能三、将指定区域公式结果转换为值"
        << QStringList{ "label:区域(填写方式,如一个单元格、多个单元格、整列、多列、整行、多行分别是：A1、B2:D2、B:B、B:D、1:1、1:9)：",
                        "lEdt_FormulaToValue", "pBtn_FormulaToValue" };
    QTest::newRow("link index") << "groupBox_5" << "功能四、创建包含所有表超链接的表"
        << QStringList{ "pBtn_HyperLinks", "spacer" };
    QTest::newRow("cell link") << "groupBox_6"
        << "功能五、在指定单元格插入超链接（网址或文件,如：www.example.com  文档中的位置,如：Sheet!A1 一般情况下只填写其中一个。 显示文字留空则保持原单元格内容）"
        << QStringList{ "label:单元格：", "lEdt_HyperlinksCell", "label:网址或文件路径：", "lEdt_HyperlinksLink",
                        "label:文档中的位置：", "lEdt_HyperlinksLinkLocal", "label:显示文字：", "lEdt_HyperlinksText",
                        "pBtn_HyperlinksCell" };
}

void MainWindowFormTest::groupContents()
{
    QFETCH(QString, group);
    QFETCH(QString, title);
    QFETCH(QStringList, items);

    auto box = window->findChild<QGroupBox *>(group);
    QVERIFY(box);
    QCOMPARE(box->title(), title);
    QCOMPARE(itemsOf(box->layout()), items);
}

void MainWindowFormTest::buttonsAndCheckBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isCheckBox");
    QTest::addColumn<QString>("text");

    const auto button = [](const char *name, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(name) << false << QString::fromUtf8(text);
    };
    const auto checkBox = [](const char *name, const char *text) {
        QTest::newRow(name) << QString::fromLatin1(name) << true << QString::fromUtf8(text);
    };
    button("pBtn_SourcePath", "选择文件夹：");
    button("pBtn_AddRow", "插入行");
    button("pBtn_AddColumn", "插入列");
    button("pBtn_DeleteRow", "删除行");
    button("pBtn_DeleteColumn", "删除列");
    button("pBtn_CopyFormula", "设置公式");
    button("pBtn_FormulaToValue", "公式转转值");
    button("pBtn_HyperLinks", "创建");
    button("pBtn_HyperlinksCell", "插入");
    checkBox("cBox_OnlyFirstSheet", "只修改第一个Sheet");
    checkBox("cBox_AppointedSheet", "只修改指定名称Sheet：");
    checkBox("cBox_CopyFormulaEndRow", "自动识别行数");
    checkBox("cBox_CopyFormulaEndColumn", "自动识别列数");
    checkBox("cBox_DryRun", "试运行");
    button("pBtn_UndoLastJob", "撤销上一次修改");
}

void MainWindowFormTest::buttonsAndCheckBoxes()
{
    QFETCH(QString, name);
    QFETCH(bool, isCheckBox);
    QFETCH(QString, text);

    QAbstractButton *button = isCheckBox ? static_cast<QAbstractButton *>(window->findChild<QCheckBox *>(name))
                                         : window->findChild<QPushButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    QVERIFY(button->isEnabled());
    QVERIFY(!button->isChecked());
}

void MainWindowFormTest::spinBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maximum");

    for (const char *name : { "sBox_AddRow", "sBox_DeleteRow", "sBox_CopyFormulaStartRow", "sBox_CopyFormulaEndRow" })
        QTest::newRow(name) << QString::fromLatin1(name) << 1048576;
    for (const char *name : { "sBox_AddColumn", "sBox_DeleteColumn", "sBox_CopyFormulaStartColumn",
                              "sBox_CopyFormulaEndColumn" })
        QTest::newRow(name) << QString::fromLatin1(name) << 16384;
}

void MainWindowFormTest::spinBoxes()
{
    QFETCH(QString, name);
    QFETCH(int, maximum);

    auto spin = window->findChild<QSpinBox *>(name);
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), 1);
    QCOMPARE(spin->maximum(), maximum);
    QCOMPARE(spin->value(), 1);
    QCOMPARE(spin->text(), QStringLiteral("1"));
    QVERIFY(spin->prefix().isEmpty());
    QVERIFY(spin->suffix().isEmpty());
    QVERIFY(spin->isEnabled());
}

void MainWindowFormTest::lineEdits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enabled");

    for (const char *name : { "lEdt_SourcePath", "lEdt_FirstFormula", "lEdt_FormulaToValue", "lEdt_HyperlinksCell",
                              "lEdt_HyperlinksLink", "lEdt_HyperlinksLinkLocal", "lEdt_HyperlinksText" })
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    QTest::newRow("lEdt_AppointedSheetName") << QStringLiteral("lEdt_AppointedSheetName") << false;
}

void MainWindowFormTest::lineEdits()
{
    QFETCH(QString, name);
    QFETCH(bool, enabled);

    auto edit = window->findChild<QLineEdit *>(name);
    QVERIFY(edit);
    QCOMPARE(edit->isEnabled(), enabled);
    QVERIFY(!edit->isReadOnly());
    QVERIFY(edit->text().isEmpty());
}

void MainWindowFormTest::sourceFolderButtonFont()
{
    const QFont font = child<QPushButton>("pBtn_SourcePath")->font();
    QCOMPARE(font.family(), QStringLiteral("Agency FB"));
    QCOMPARE(font.weight(), 75);
    QVERIFY(child<QLineEdit>("lEdt_AppointedSheetName")->maximumWidth() <= 120);
}

void MainWindowFormTest::statusLineStartsWithTheNotice()
{
    auto status = child<QLabel>("lb_ShowDisposing");
    QVERIFY(status);
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
    QVERIFY(Qt::mightBeRichText(status->text()));

    QTextDocument document;
    document.setHtml(status->text());
    QCOMPARE(document.toPlainText(), QStringLiteral("（操作前请先备份excel文件，支持Office2007以上、WPS2016专业版）"));
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 5);
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
}

void MainWindowFormTest::sizeAndPosition()
{
    // The form's size, unless the screen is smaller: then the form scrolls.
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    QVERIFY(window->width() >= qMin(970, available.width() - 16));
    QVERIFY(window->height() >= qMin(420, available.height() - 48));
    QVERIFY(window->width() <= available.width() && window->height() <= available.height());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(window->x(), (screen.width() - window->width()) / 2);
    QCOMPARE(window->y(), (screen.height() - window->height()) / 3);
}

// Outside a Chinese locale the program installs these texts: every text of
// the form has its English, so no Chinese is left.
void MainWindowFormTest::englishTextsForEveryWidget()
{
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(GRIDWRIGHTER_ENGLISH_QM)));
    QCoreApplication::installTranslator(&english);
    MainWindow englishWindow(nullptr);
    QCoreApplication::removeTranslator(&english);
    if (!qEnvironmentVariableIsEmpty("GRIDWRIGHTER_SCREENSHOTS"))
        englishWindow.grab().save(qEnvironmentVariable("GRIDWRIGHTER_SCREENSHOTS") + QStringLiteral("/english.png"));
    const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    QCOMPARE(englishWindow.findChild<QPushButton *>(QStringLiteral("pBtn_AddRow"))->text(), QStringLiteral("Insert row"));
    for (const QAbstractButton *button : englishWindow.findChildren<QAbstractButton *>())
        QVERIFY2(!button->text().contains(chinese), qPrintable(button->text()));
    for (const QLabel *label : englishWindow.findChildren<QLabel *>())
        QVERIFY2(!label->text().contains(chinese), qPrintable(label->text()));
    for (const QGroupBox *group : englishWindow.findChildren<QGroupBox *>())
        QVERIFY2(!group->title().contains(chinese), qPrintable(group->title()));
}

// Scrolling the form over a number box must not change the number: three
// notches made row 1 into row 4 for every workbook. Only a box the user
// clicked or tabbed into takes the wheel; otherwise the form scrolls.
void MainWindowFormTest::wheelChangesANumberOnlyWithFocus()
{
    window->resize(window->width(), window->minimumHeight());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QApplication::setActiveWindow(window.get());
    auto *row = child<QSpinBox>("sBox_AddRow");
    QScrollBar *scroll = child<QScrollArea>("scrollArea")->verticalScrollBar();
    const auto turnWheel = [row](int notches) {
        const QPoint at = row->rect().center();
        QWheelEvent wheel(QPointF(at), QPointF(row->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(row, &wheel);
    };
    child<QLineEdit>("lEdt_SourcePath")->setFocus();
    turnWheel(-3);
    turnWheel(3);
    QCOMPARE(row->value(), 1);
    if (scroll->maximum() > 0) {
        turnWheel(-3);
        QVERIFY(scroll->value() > 0);
    }

    row->setFocus();
    QVERIFY(row->hasFocus());
    turnWheel(3);
    QCOMPARE(row->value(), 4);
}

// The fill's progress ends with the row in hand: said, not a bare number;
// a path that itself ends in two spaces and digits is left alone.
void MainWindowFormTest::fillRowNamedInTheStatus()
{
    auto *status = child<QLabel>("lb_ShowDisposing");
    const QString book = QStringLiteral("/data/multiplesheets.xlsx");
    QMetaObject::invokeMethod(window.get(), "startWorkbook", Q_ARG(QString, book));
    QMetaObject::invokeMethod(window.get(), "on_ShowDisposingFile", Q_ARG(QString, "5  " + book + "  3"));
    QCOMPARE(status->text(), "5  " + book + QStringLiteral("  第3行"));
    QMetaObject::invokeMethod(window.get(), "on_ShowDisposingFile", Q_ARG(QString, "6  /data/odd  7"));
    QCOMPARE(status->text(), QStringLiteral("6  /data/odd  7"));
}

void MainWindowFormTest::tabFollowsTheFormTopToBottom()
{
    const QStringList expected = {"pBtn_SourcePath", "lEdt_SourcePath", "cBox_DryRun", "sBox_AddRow", "pBtn_AddRow",
                                  "pBtn_DeleteColumn", "sBox_CopyFormulaStartRow", "lEdt_FirstFormula",
                                  "pBtn_CopyFormula", "lEdt_FormulaToValue", "pBtn_HyperLinks", "lEdt_HyperlinksCell",
                                  "pBtn_HyperlinksCell", "pBtn_UndoLastJob"};
    QStringList chain;
    QWidget *widget = child<QPushButton>("pBtn_SourcePath");
    do {
        if (expected.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != child<QPushButton>("pBtn_SourcePath"));
    QCOMPARE(chain, expected);
}

void MainWindowFormTest::sourcePathReadFromSettingsFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");

    QTest::newRow("with other keys") << QByteArray("A=1\r\nSourcePath= /srv/表格/ \r\nB=2\r\n")
                                     << QStringLiteral("/srv/表格/");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("empty value") << QByteArray("SourcePath=\r\n") << QString();
}

void MainWindowFormTest::sourcePathReadFromSettingsFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);

    ProgramPaths::settingsFilePath = directory.filePath(QStringLiteral("Gridwrighter.vrq"));
    QFile file(ProgramPaths::settingsFilePath);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QString::fromUtf8(content).toLocal8Bit());
    file.close();

    MainWindow withSettings(nullptr);
    QCOMPARE(withSettings.findChild<QLineEdit *>(QStringLiteral("lEdt_SourcePath"))->text(), expected);
}

void MainWindowFormTest::appointedSheetNameFollowsItsCheckBox()
{
    auto check = child<QCheckBox>("cBox_AppointedSheet");
    auto name = child<QLineEdit>("lEdt_AppointedSheetName");
    check->click();
    QVERIFY(name->isEnabled());
    check->click();
    QVERIFY(!name->isEnabled());
}

MainWindowFormTest::FillEnds MainWindowFormTest::fillFromRow3Column7ToRow40Column12()
{
    const FillEnds ends{child<QCheckBox>("cBox_CopyFormulaEndRow"), child<QCheckBox>("cBox_CopyFormulaEndColumn"),
                        child<QSpinBox>("sBox_CopyFormulaEndRow"), child<QSpinBox>("sBox_CopyFormulaEndColumn")};
    child<QSpinBox>("sBox_CopyFormulaStartColumn")->setValue(7);
    child<QSpinBox>("sBox_CopyFormulaStartRow")->setValue(3);
    ends.endRow->setValue(40);
    ends.endColumn->setValue(12);
    return ends;
}

void MainWindowFormTest::detectingEndRowFixesEndColumn()
{
    const FillEnds ends = fillFromRow3Column7ToRow40Column12();
    QCheckBox *detectRows = ends.detectRows;
    QCheckBox *detectColumns = ends.detectColumns;
    QSpinBox *endRow = ends.endRow;
    QSpinBox *endColumn = ends.endColumn;

    detectRows->click();
    QVERIFY(!detectColumns->isEnabled());
    QVERIFY(!endRow->isEnabled());
    QVERIFY(endColumn->isEnabled());
    QCOMPARE(endColumn->value(), 7);
    QCOMPARE(endRow->value(), 40);
    child<QSpinBox>("sBox_CopyFormulaStartColumn")->setValue(9);
    QCOMPARE(endColumn->value(), 9);
    child<QSpinBox>("sBox_CopyFormulaStartColumn")->setValue(7);

    detectRows->click();
    QVERIFY(detectColumns->isEnabled());
    QVERIFY(endRow->isEnabled());
    QCOMPARE(endColumn->value(), 7);
}

void MainWindowFormTest::detectingEndColumnFixesEndRow()
{
    const FillEnds ends = fillFromRow3Column7ToRow40Column12();
    QCheckBox *detectRows = ends.detectRows;
    QCheckBox *detectColumns = ends.detectColumns;
    QSpinBox *endRow = ends.endRow;
    QSpinBox *endColumn = ends.endColumn;

    detectColumns->click();
    QVERIFY(!detectRows->isEnabled());
    QVERIFY(!endColumn->isEnabled());
    QVERIFY(endRow->isEnabled());
    QCOMPARE(endRow->value(), 3);
    QCOMPARE(endColumn->value(), 12);
    child<QSpinBox>("sBox_CopyFormulaStartRow")->setValue(5);
    QCOMPARE(endRow->value(), 5);
    child<QSpinBox>("sBox_CopyFormulaStartRow")->setValue(3);

    detectColumns->click();
    QVERIFY(detectRows->isEnabled());
    QVERIFY(endColumn->isEnabled());
    QCOMPARE(endRow->value(), 3);
}

void MainWindowFormTest::trayMenuAndLook()
{
    SystemTray *tray = MainWindow::trayIcon;
    QVERIFY(tray);
    QCOMPARE(tray->parent(), window.get());
    QCOMPARE(tray->toolTip(), QStringLiteral("Gridwrighter"));
    QVERIFY(!tray->icon().availableSizes().isEmpty());
    QVERIFY(tray->contextMenu());
    QStringList texts;
    for (QAction *action : tray->contextMenu()->actions())
        texts += action->text();
    QCOMPARE(texts, (QStringList{ QStringLiteral("软件设置"), QStringLiteral("撤销上一次修改"), QStringLiteral("退出程序") }));
}

void MainWindowFormTest::traySettingsActionRestoresWindow()
{
    const QSize savedSize = window->size();
    window->show();
    window->resize(savedSize + QSize(150, 90));
    window->hide();

    MainWindow::trayIcon->contextMenu()->actions().first()->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(window->size(), savedSize);
}

void MainWindowFormTest::trayGoesWithItsWindow()
{
    QPointer<SystemTray> tray = MainWindow::trayIcon;
    QVERIFY(tray);
    window.reset();
    QVERIFY(!tray);
    QCOMPARE(MainWindow::trayIcon, nullptr);
}

void MainWindowFormTest::trayActivation_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<bool>("restores");

    QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << true;
    QTest::newRow("trigger") << QSystemTrayIcon::Trigger << true;
    QTest::newRow("context menu") << QSystemTrayIcon::Context << false;
    QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << false;
}

void MainWindowFormTest::trayActivation()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(bool, restores);

    const QSize savedSize = window->size();
    window->show();
    const QSize changed = savedSize + QSize(150, 90);
    window->resize(changed);
    window->hide();

    emit MainWindow::trayIcon->activated(reason);
    QCOMPARE(window->isVisible(), restores);
    QCOMPARE(window->size(), restores ? savedSize : changed);
}

QTEST_MAIN(MainWindowFormTest)
#include "MainWindowFormTest.moc"

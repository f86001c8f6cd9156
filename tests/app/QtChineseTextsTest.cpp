// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own dialogs and buttons in Chinese, from the installed translations.

#include "app/QtChineseTexts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class QtChineseTextsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messageBoxButtons();
    void folderDialog();
};

void QtChineseTextsTest::initTestCase()
{
    QVERIFY2(installQtChineseTexts(*QCoreApplication::instance()), "qtbase_zh_CN.qm is missing");
}

void QtChineseTextsTest::messageBoxButtons()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Message:"), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
}

// Qt's own folder dialog, which the window shows where the desktop offers none.
void QtChineseTextsTest::folderDialog()
{
    QFileDialog dialog(nullptr, QStringLiteral("选择文件夹"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QDialogButtonBox *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    QStringList labels;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        labels.append(label->text());
    QVERIFY2(labels.contains(QStringLiteral("查找范围：")), qPrintable(labels.join(QLatin1Char('|'))));
}

QTEST_MAIN(QtChineseTextsTest)
#include "QtChineseTextsTest.moc"

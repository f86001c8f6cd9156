// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"
#include "launch/JobSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

namespace {

// The form's own fields, not the spin boxes' inner ones; the folder has a key
// of its own.
bool isRemembered(const QLineEdit *field)
{
    return field->objectName().startsWith(QLatin1String("lEdt_")) && field->objectName() != QLatin1String("lEdt_SourcePath");
}

} // namespace

// Every field and check box of the form is kept under its object name, beside
// the folder's own "SourcePath" (which the folder button and a job's start
// write).
void MainWindow::restoreForm(const QByteArray &settings)
{
    for (QLineEdit *field : findChildren<QLineEdit *>()) {
        if (isRemembered(field))
            field->setText(QString::fromLocal8Bit(readSetting(settings, field->objectName().toLatin1())));
    }
    for (QSpinBox *box : findChildren<QSpinBox *>()) {
        const QByteArray value = readSetting(settings, box->objectName().toLatin1());
        if (!value.isEmpty())
            box->setValue(value.toInt());
    }
    for (QCheckBox *box : findChildren<QCheckBox *>())
        box->setChecked(readSetting(settings, box->objectName().toLatin1()) == "1");
    // The boxes' couplings, as if the user had clicked them.
    on_cBox_AppointedSheet_clicked();
    if (ui->cBox_CopyFormulaEndRow->isChecked())
        on_cBox_CopyFormulaEndRow_clicked();
    if (ui->cBox_CopyFormulaEndColumn->isChecked())
        on_cBox_CopyFormulaEndColumn_clicked();
}

void MainWindow::rememberForm()
{
    const QString &file = ProgramPaths::settingsFilePath;
    for (QLineEdit *field : findChildren<QLineEdit *>()) {
        if (isRemembered(field))
            writeSetting(file, field->objectName().toLatin1(), field->text().toLocal8Bit());
    }
    for (QSpinBox *box : findChildren<QSpinBox *>())
        writeSetting(file, box->objectName().toLatin1(), QByteArray::number(box->value()));
    for (QCheckBox *box : findChildren<QCheckBox *>())
        writeSetting(file, box->objectName().toLatin1(), box->isChecked() ? "1" : "0");
}

// The folder of a job, typed or chosen, is the one the next start offers and
// its undo looks at.
void MainWindow::rememberJobFolder()
{
    writeSetting(ProgramPaths::settingsFilePath, "SourcePath", JobSettings::sourcePath.toLocal8Bit());
}

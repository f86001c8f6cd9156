// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/edits/JobEdits.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

const char launchedButton[] = "launchedButton";

bool isLaunchButton(const QWidget *widget)
{
    for (const JobEdit &edit : jobEdits()) {
        if (widget->objectName() == QLatin1String("pBtn_") + QLatin1String(edit.formName))
            return true;
    }
    return false;
}

// The widgets of the form in the order its layouts place them, top to bottom
// and left to right; each field before a launch button within its group
// learns that button (the group's fields since its previous one).
void walkForm(QLayout *layout, QWidgetList &focusable, QWidgetList &fields)
{
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem *item = layout->itemAt(index);
        if (item->layout()) {
            walkForm(item->layout(), focusable, fields);
            continue;
        }
        QWidget *widget = item->widget();
        if (!widget)
            continue;
        if (widget->layout()) {
            QWidgetList ownFields;
            walkForm(widget->layout(), focusable, ownFields);
            continue;
        }
        if (widget->focusPolicy() & Qt::TabFocus)
            focusable.append(widget);
        if (qobject_cast<QLineEdit *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)) {
            fields.append(widget);
        } else if (isLaunchButton(widget)) {
            for (QWidget *field : fields)
                field->setProperty(launchedButton, QVariant::fromValue<QObject *>(widget));
            fields.clear();
        }
    }
}

} // namespace

// Tab follows the form from top to bottom; Enter in an edit's field starts
// that edit, through its button and so after the same checks; Enter on a
// button presses it, as in a dialog. A number box takes the wheel only once
// clicked or tabbed into: scrolling the form over it must not change it.
void MainWindow::setUpKeyboard()
{
    QWidgetList focusable;
    QWidgetList fields;
    walkForm(ui->tab->layout(), focusable, fields);
    for (int index = 1; index < focusable.size(); ++index)
        setTabOrder(focusable.at(index - 1), focusable.at(index));
    for (QWidget *widget : focusable) {
        if (widget->property(launchedButton).isValid())
            widget->installEventFilter(this);
    }
    for (QPushButton *button : findChildren<QPushButton *>())
        button->installEventFilter(this);
    for (QAbstractSpinBox *box : findChildren<QAbstractSpinBox *>()) {
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(this);
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        auto *box = qobject_cast<QAbstractSpinBox *>(watched);
        if (!box || box->hasFocus())
            return QMainWindow::eventFilter(watched, event);
        QCoreApplication::sendEvent(ui->scrollArea->viewport(), event);
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    auto *pressed = qobject_cast<QPushButton *>(watched);
    if (pressed && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        if (pressed->isEnabled())
            pressed->click();
        return true;
    }
    auto *button = qobject_cast<QPushButton *>(watched->property(launchedButton).value<QObject *>());
    if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return QMainWindow::eventFilter(watched, event);
    // A number typed but not yet taken by its box counts.
    if (auto *box = qobject_cast<QAbstractSpinBox *>(watched))
        box->interpretText();
    if (button->isEnabled())
        button->click();
    return true;
}

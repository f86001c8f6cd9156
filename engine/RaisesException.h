// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AxObject.h"

// The engine learns that the application refused a call from the object's
// exception signal, as ActiveQt reports COM errors; return values of most
// members carry nothing.
template<typename Call>
bool raisesException(AxObject *object, Call &&call)
{
    bool raised = false;
    const QMetaObject::Connection watch = QObject::connect(
        object, &AxObject::exception, object, [&raised]() { raised = true; },
        Qt::DirectConnection);
    call();
    QObject::disconnect(watch);
    return raised;
}

// The description of the error the call raised, or empty.
template<typename Call>
QString raisedDescription(AxObject *object, Call &&call)
{
    QString description;
    const QMetaObject::Connection watch = QObject::connect(
        object, &AxObject::exception, object,
        [&description](int, const QString &, const QString &text, const QString &) { description = text; },
        Qt::DirectConnection);
    call();
    QObject::disconnect(watch);
    return description;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"
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

// The error the call raised; not raised when it raised none.
template<typename Call>
AutomationError raisedError(AxObject *object, Call &&call)
{
    AutomationError error;
    const QMetaObject::Connection watch = QObject::connect(
        object, &AxObject::exception, object,
        [&error](int code, const QString &source, const QString &text, const QString &) {
            error.raise(code, source, text);
        },
        Qt::DirectConnection);
    call();
    QObject::disconnect(watch);
    return error;
}

// Where an error came from and its code, for reports: the description alone
// is what people read.
inline QString technicalDetail(const AutomationError &error)
{
    if (!error.raised)
        return QString();
    return QStringLiteral("%1 (error 0x%2)").arg(error.source).arg(uint(error.code), 8, 16, QLatin1Char('0'));
}

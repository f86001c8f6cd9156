// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

// The part of ActiveQt's QAxObject that the engine uses, so that the engine's
// code is the same on every platform. The object is bound to a server from
// AutomationRegistry by setControl(): one registered in this process first,
// else the system's (COM on Windows); every sub-object it gives out is its
// child and goes when it goes.
class AxObject : public QObject
{
    Q_OBJECT

public:
    explicit AxObject(QObject *parent = nullptr);
    explicit AxObject(const QString &control, QObject *parent = nullptr);
    ~AxObject() override;

    bool setControl(const QString &control);
    QString control() const;
    void clear();
    bool isNull() const;

    AxObject *querySubObject(const char *name, const QVariant &var1 = QVariant(),
                             const QVariant &var2 = QVariant(), const QVariant &var3 = QVariant(),
                             const QVariant &var4 = QVariant(), const QVariant &var5 = QVariant(),
                             const QVariant &var6 = QVariant(), const QVariant &var7 = QVariant(),
                             const QVariant &var8 = QVariant());
    AxObject *querySubObject(const char *name, QList<QVariant> &vars);

    QVariant dynamicCall(const char *function, const QVariant &var1 = QVariant(),
                         const QVariant &var2 = QVariant(), const QVariant &var3 = QVariant(),
                         const QVariant &var4 = QVariant(), const QVariant &var5 = QVariant(),
                         const QVariant &var6 = QVariant(), const QVariant &var7 = QVariant(),
                         const QVariant &var8 = QVariant());
    QVariant dynamicCall(const char *function, QList<QVariant> &vars);

    // These hide QObject's own: a property of an automation object lives in
    // its server, as QAxObject's dynamic meta-object arranges it on Windows.
    QVariant property(const char *name) const;
    bool setProperty(const char *name, const QVariant &value);

    QVariant asVariant() const;

signals:
    void exception(int code, const QString &source, const QString &desc, const QString &help);

private:
    AxObject(const AutomationObjectPtr &object, QObject *parent);

    bool report(const AutomationError &error) const;

    QString m_control;
    AutomationObjectPtr m_object;
};

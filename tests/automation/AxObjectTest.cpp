// SPDX-License-Identifier: GPL-3.0-or-later
// The automation layer over a server of the test's own.

#include "automation/AutomationRegistry.h"
#include "automation/AxObject.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

int g_alive = 0;

// Answers every query with a new object and echoes what it was called with.
class EchoObject : public AutomationObject
{
public:
    EchoObject() { ++g_alive; }
    ~EchoObject() override { --g_alive; }

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &,
                                       AutomationError &error) override
    {
        if (member == "Missing") {
            error.raise(42, QStringLiteral("echo"), QStringLiteral("no such member"));
            return nullptr;
        }
        return std::make_shared<EchoObject>();
    }

    QVariant call(const QByteArray &member, const QVariantList &arguments, AutomationError &) override
    {
        if (member == "Same(const QVariant&)")
            return automationObjectFromVariant(arguments.value(0)).get() == this;
        return QVariant(QString::fromLatin1(member) + QLatin1Char('/') + QString::number(arguments.size()));
    }

    QVariant property(const QByteArray &name, AutomationError &) override
    {
        return QString::fromLatin1(name);
    }

    bool setProperty(const QByteArray &, const QVariant &, AutomationError &) override { return true; }
};

} // namespace

class AxObjectTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        AutomationRegistry::registerServer(QStringLiteral("Echo.Application"),
                                           [](QString *) { return std::make_shared<EchoObject>(); });
    }

    void unknownProgIdLeavesTheObjectNull()
    {
        AxObject app;
        QSignalSpy errors(&app, &AxObject::exception);
        QVERIFY(!app.setControl(QStringLiteral("Nobody.Application")));
        QVERIFY(app.isNull());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(app.querySubObject("WorkBooks"), nullptr);
        QVERIFY(!app.dynamicCall("Quit(void)").isValid());
        QVERIFY(!app.property("Count").isValid());
    }

    void progIdsIgnoreLetterCase()
    {
        AxObject app(QStringLiteral("echo.application"));
        QVERIFY(!app.isNull());
    }

    void argumentsEndAtTheFirstInvalidVariant()
    {
        AxObject app(QStringLiteral("Echo.Application"));
        QCOMPARE(app.dynamicCall("F()", 1, 2).toString(), QStringLiteral("F()/2"));
        QCOMPARE(app.dynamicCall("F()", 1, QVariant(), 3).toString(), QStringLiteral("F()/1"));
        QCOMPARE(app.property("Count").toString(), QStringLiteral("Count"));
    }

    void failedQueryRaisesTheExceptionSignal()
    {
        AxObject app(QStringLiteral("Echo.Application"));
        QSignalSpy errors(&app, &AxObject::exception);
        QCOMPARE(app.querySubObject("Missing"), nullptr);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toInt(), 42);
        QCOMPARE(errors.at(0).at(2).toString(), QStringLiteral("no such member"));
    }

    void objectsTravelAsVariants()
    {
        AxObject app(QStringLiteral("Echo.Application"));
        AxObject *sheet = app.querySubObject("Sheet");
        QVERIFY(sheet->dynamicCall("Same(const QVariant&)", sheet->asVariant()).toBool());
        QVERIFY(!sheet->dynamicCall("Same(const QVariant&)", app.asVariant()).toBool());
    }

    void subObjectsGoWithTheApplication()
    {
        const int before = g_alive;
        QPointer<AxObject> grandChild;
        {
            AxObject app(QStringLiteral("Echo.Application"));
            AxObject *child = app.querySubObject("WorkBooks");
            QCOMPARE(child->parent(), &app);
            grandChild = child->querySubObject("Open(const QString&)", QStringLiteral("/x.xlsx"));
            QCOMPARE(g_alive, before + 3);
        }
        QVERIFY(grandChild.isNull());
        QCOMPARE(g_alive, before);
    }
};

QTEST_GUILESS_MAIN(AxObjectTest)
#include "AxObjectTest.moc"

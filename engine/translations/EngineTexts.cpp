// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/translations/EngineTexts.h"

#include <QCoreApplication>
#include <QTranslator>

bool userReadsChinese()
{
    return QLocale::system().language() == QLocale::Chinese;
}

bool installEngineTexts(QCoreApplication &application, QLocale::Language language)
{
    // Built into this library: the linker keeps it only when asked for.
    Q_INIT_RESOURCE(engine_texts);
    auto *translator = new QTranslator(&application);
    const QString name = language == QLocale::Chinese ? QStringLiteral("Gridwrighter_engine_zh_CN")
                                                      : QStringLiteral("Gridwrighter_engine_en");
    if (!translator->load(name, QStringLiteral(":/translations"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

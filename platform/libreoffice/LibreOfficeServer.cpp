// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/LibreOfficeServer.h"

#include "automation/AutomationRegistry.h"
#include "platform/libreoffice/calc/CalcApplication.h"
#include "fileformats/CellErrorValue.h"
#include "platform/libreoffice/office/OfficeProcess.h"

void registerLibreOfficeServer()
{
    registerLibreOfficeServer(LibreOfficeOptions());
}

void registerLibreOfficeServer(const LibreOfficeOptions &options)
{
    qRegisterMetaType<CellErrorValue>();
    // Without it QVariant compares two errors by their bytes, not their texts.
    if (!QMetaType::hasRegisteredComparators<CellErrorValue>())
        QMetaType::registerEqualsComparator<CellErrorValue>();
    AutomationRegistry::registerServer(QStringLiteral("Excel.Application"), [options](QString *whyNot) {
        return AutomationObjectPtr(CalcApplication::start(options, whyNot));
    });
}

void endStartedOffices()
{
    OfficeProcess::killAllGroups();
}

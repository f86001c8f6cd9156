// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/office/ProfileSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

bool writeProfileSettings(const QString &profileFolder, QString *whyNot)
{
    const QString userFolder = QDir(profileFolder).filePath(QStringLiteral("user"));
    QFile settings(QDir(userFolder).filePath(QStringLiteral("registrymodifications.xcu")));
    if (!QDir().mkpath(userFolder) || !settings.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (whyNot)
            *whyNot = QCoreApplication::translate("Engine", "cannot write the profile settings %1").arg(settings.fileName());
        return false;
    }
    // Rows whose height the file stores as fitted to their content would
    // otherwise be fitted again on loading, with this machine's fonts, and
    // saved with heights the workbook never had.
    settings.write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
        "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
        "<item oor:path=\"/org.openoffice.Office.Calc/Formula/Load\"><prop oor:name=\"RecalcOptimalRowHeightMode\" "
        "oor:op=\"fuse\"><value>1</value></prop></item>\n"
        "</oor:items>\n");
    return settings.error() == QFileDevice::NoError;
}

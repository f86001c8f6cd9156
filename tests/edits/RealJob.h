// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MergeObject.h"
#include "launch/JobSettings.h"
#include "engine/report/UnopenedList.h"

#include <QDir>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

// A folder of real workbooks and a job run over it by LibreOffice, the way
// the window runs it: JobSettings filled, the slot run, its texts collected.
class RealJob
{
public:
    RealJob()
    {
        JobSettings::sourcePath = QDir::toNativeSeparators(m_folder.path() + QLatin1Char('/'));
        JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
        JobSettings::onlyFirstSheet = false;
        JobSettings::appointedSheet = false;
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }

    QStringList run(void (MergeObject::*slot)())
    {
        MergeObject worker;
        worker.setShowsUnopenedListInViewer(false);
        QSignalSpy texts(&worker, &MergeObject::ShowDisposingFile);
        (worker.*slot)();
        m_outcome = worker.lastOutcome();
        QStringList shown;
        for (const QList<QVariant> &arguments : texts)
            shown.append(arguments.at(0).toString());
        return shown;
    }

    MergeObject::Outcome outcome() const { return m_outcome; }

private:
    QTemporaryDir m_folder;
    MergeObject::Outcome m_outcome;
};

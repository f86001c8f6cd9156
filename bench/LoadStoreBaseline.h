// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class OfficeSession;

// LibreOffice's own load and store of a workbook, with none of the automation
// layer in between: the baseline the benchmark holds the engine's
// Open+Save+Close against. It runs in an soffice of its own, started the way
// the server starts one (private profile, same settings), for figures only.
class LoadStoreBaseline
{
public:
    LoadStoreBaseline();
    ~LoadStoreBaseline();

    LoadStoreBaseline(const LoadStoreBaseline &) = delete;
    LoadStoreBaseline &operator=(const LoadStoreBaseline &) = delete;

    // False, with why, when soffice did not start.
    bool start(QString *whyNot);
    qint64 processId() const;

    // Loads the file hidden as the server does, stores it over itself in the
    // format it came in (XStorable::store) and closes it. False, with why, on
    // any failure.
    bool loadStore(const QString &path, QString *whyNot);

private:
    std::shared_ptr<OfficeSession> m_session;
};

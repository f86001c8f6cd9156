// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/DeferredSaves.h"

#include <QHash>

#include <chrono>
#include <future>

namespace DeferredSaves {

namespace {

struct ThreadSaves
{
    int acceptances = 0;
    QHash<QString, std::shared_future<Outcome>> going;
};

thread_local ThreadSaves saves;

} // namespace

Acceptance::Acceptance()
{
    ++saves.acceptances;
}

Acceptance::~Acceptance()
{
    if (--saves.acceptances > 0)
        return;
    for (const std::shared_future<Outcome> &save : qAsConst(saves.going))
        save.wait();
    saves.going.clear();
}

bool accepted()
{
    return saves.acceptances > 0;
}

void defer(const QString &path, std::function<Outcome()> rest)
{
    // The one before, if nobody collected it, must not be lost unawaited.
    finish(path);
    saves.going.insert(path, std::async(std::launch::async, std::move(rest)).share());
}

bool pending(const QString &path)
{
    return saves.going.contains(path);
}

bool ended(const QString &path, int milliseconds)
{
    const auto save = saves.going.constFind(path);
    return save == saves.going.constEnd()
           || save->wait_for(std::chrono::milliseconds(milliseconds)) == std::future_status::ready;
}

Outcome finish(const QString &path)
{
    const auto save = saves.going.find(path);
    if (save == saves.going.end())
        return Outcome();
    const Outcome outcome = save->get();
    saves.going.erase(save);
    return outcome;
}

} // namespace DeferredSaves

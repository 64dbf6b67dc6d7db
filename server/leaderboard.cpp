#include "server/leaderboard.h"

#include "server/render.h"

#include <algorithm>
#include <cstdio>

namespace hexwend::server {

namespace {

const TypeBest* storedBest(const std::optional<PlayerRecord>& record, int type) {
    if (!record) return nullptr;
    for (const TypeBest& b : record->bests)
        if (b.type == type) return &b;
    return nullptr;
}

// What a submission changes, or nothing: a new player, another name, a new best, or a
// last-seen time older than the resolution.
std::optional<PlayerUpdate> planUpdate(const std::optional<PlayerRecord>& record, const Submission& sub,
                                       const std::string& name, std::int64_t now) {
    PlayerUpdate update{sub.game, sub.identity, name, now, {}};
    bool write = !record || record->name != name || now - record->lastSeen >= kLastSeenResolution;
    for (const TypeScore& s : sub.scores) {
        const TypeBest* stored = storedBest(record, s.type);
        if (s.best > (stored ? stored->best : 0)) {
            update.bests.push_back({s.type, s.best, s.extra, now});
            write = true;
        }
    }
    if (!write) return std::nullopt;
    return update;
}

bool ranksBefore(const ScoreEntry& a, const ScoreEntry& b) {
    if (a.best != b.best) return a.best > b.best;
    if (a.setAt != b.setAt) return a.setAt < b.setAt;
    return a.identity < b.identity;
}

} // namespace

std::string storedName(std::string_view sentName) {
    std::size_t end = sentName.find_last_not_of(' ');
    return std::string(sentName.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

const std::string& Snapshot::gameReply() const {
    std::call_once(replyOnce_, [&] { reply_ = renderGameReply(tables_, game_); });
    return reply_;
}

const Rendered& Snapshot::page() const {
    std::call_once(pageOnce_, [&] {
        page_.body = renderPage(tables_, game_);
        page_.etag = entityTag(page_.body);
    });
    return page_;
}

std::shared_ptr<const Rendered> Snapshot::json(int type, int limit) const {
    int key = type * (kCachedPlaces + 1) + limit;
    std::lock_guard lock(jsonMutex_);
    std::shared_ptr<const Rendered>& slot = json_[key];
    if (!slot) {
        auto r = std::make_shared<Rendered>();
        r->body = renderJson(tables_, game_, type, limit);
        r->etag = entityTag(r->body);
        slot = std::move(r);
    }
    return slot;
}

Leaderboard::Leaderboard(StorePool& pool, std::chrono::milliseconds pollInterval) : pool_(pool) {
    {
        StorePool::Lease store = pool_.acquire();
        std::lock_guard lock(writeMutex_);
        for (const GameInfo& game : knownGames()) rebuild(game, *store);
    }
    if (pollInterval.count() > 0) poller_ = std::thread([this, pollInterval] { pollLoop(pollInterval); });
}

Leaderboard::~Leaderboard() {
    {
        std::lock_guard lock(pollMutex_);
        stopping_ = true;
    }
    pollWake_.notify_all();
    if (poller_.joinable()) poller_.join();
}

std::shared_ptr<const Snapshot> Leaderboard::snapshot(int game) const {
    std::lock_guard lock(snapshotMutex_);
    auto it = snapshots_.find(game);
    return it == snapshots_.end() ? nullptr : it->second;
}

SubmitOutcome Leaderboard::submit(const Submission& sub, std::int64_t now) {
    const GameInfo* game = findGame(sub.game);
    if (sub.mode != 0 || !game) return SubmitOutcome::QueryOnly;
    std::string name = storedName(sub.name);
    StorePool::Lease store = pool_.acquire();
    try {
        // Most submissions repeat what is stored: one read, no write, no lock.
        if (!planUpdate(store->findPlayer(sub.game, sub.identity), sub, name, now)) return SubmitOutcome::Unchanged;
        std::lock_guard lock(writeMutex_);
        std::optional<PlayerRecord> before = store->findPlayer(sub.game, sub.identity);
        std::optional<PlayerUpdate> update = planUpdate(before, sub, name, now);
        if (!update) return SubmitOutcome::Unchanged;
        std::int64_t revision = store->savePlayer(*update);
        if (revision != knownRevision_ + 1) {
            // Someone else wrote since the last read: read everything again.
            for (const GameInfo& g : knownGames()) rebuild(g, *store);
            return SubmitOutcome::Stored;
        }
        knownRevision_ = revision;

        GameTables tables = snapshot(game->number)->tables();
        tables.revision = revision;
        bool changed = false;
        if (!before) {
            ++tables.players;
            changed = true;
        }
        if (before && before->name != name) {
            for (TypeTable& t : tables.types)
                for (ScoreEntry& e : t.top)
                    if (e.identity == sub.identity) {
                        e.name = name;
                        changed = true;
                    }
        }
        for (const TypeBest& b : update->bests) {
            TypeTable& t = tables.types.at(size_t(b.type - 1));
            if (!storedBest(before, b.type)) ++t.players;
            auto it = std::find_if(t.top.begin(), t.top.end(),
                                   [&](const ScoreEntry& e) { return e.identity == sub.identity; });
            if (it == t.top.end()) t.top.push_back({sub.identity, name, b.best, b.extra, now});
            else *it = {sub.identity, name, b.best, b.extra, now};
            std::sort(t.top.begin(), t.top.end(), ranksBefore);
            if (t.top.size() > size_t(kCachedPlaces)) t.top.resize(size_t(kCachedPlaces));
            tables.lastSetAt = std::max(tables.lastSetAt, now);
            changed = true;
        }
        if (changed) publish(*game, std::move(tables));
        return SubmitOutcome::Stored;
    } catch (const StoreError&) {
        store.discard();
        throw;
    }
}

void Leaderboard::refreshIfChanged() {
    StorePool::Lease store = pool_.acquire();
    try {
        std::lock_guard lock(writeMutex_);
        if (store->revision() == knownRevision_) return;
        for (const GameInfo& game : knownGames()) rebuild(game, *store);
    } catch (const StoreError&) {
        store.discard();
        throw;
    }
}

void Leaderboard::rebuild(const GameInfo& game, Store& store) {
    GameTables tables = store.readTables(game.number, game.typeCount(), kCachedPlaces);
    knownRevision_ = tables.revision;
    publish(game, std::move(tables));
}

void Leaderboard::publish(const GameInfo& game, GameTables tables) {
    auto next = std::make_shared<const Snapshot>(game, std::move(tables));
    std::lock_guard lock(snapshotMutex_);
    snapshots_[game.number] = std::move(next);
}

void Leaderboard::pollLoop(std::chrono::milliseconds interval) {
    std::unique_lock lock(pollMutex_);
    while (!pollWake_.wait_for(lock, interval, [&] { return stopping_; })) {
        lock.unlock();
        try {
            refreshIfChanged();
        } catch (const StoreError& e) {
            std::fprintf(stderr, "hexwend-scores: reading the tables again failed: %s\n", e.what());
        }
        lock.lock();
    }
}

} // namespace hexwend::server

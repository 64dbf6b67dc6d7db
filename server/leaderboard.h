// The tables as the server answers them: a snapshot per game held in memory, replaced when a
// submission changes what it shows, and read again from the store only when another process
// (a second server, an operator's command) changed the store. The game's reply, the web page
// and the JSON answers are made from a snapshot once and kept with it.
#pragma once

#include "server/games.h"
#include "server/payload.h"
#include "server/store.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace hexwend::server {

// Places kept per game type: the web page shows 20, the JSON answer up to 100.
constexpr int kCachedPlaces = 100;
// A resubmission within this many seconds of the stored last-seen time writes nothing.
constexpr std::int64_t kLastSeenResolution = 3600;

// A rendered answer with its entity tag.
struct Rendered {
    std::string body;
    std::string etag;
};

class Snapshot {
public:
    Snapshot(const GameInfo& game, GameTables tables) : game_(game), tables_(std::move(tables)) {}

    const GameInfo& game() const { return game_; }
    const GameTables& tables() const { return tables_; }
    const std::string& gameReply() const;
    const Rendered& page() const;
    // type 1 … the game's type count, limit 1 … kCachedPlaces.
    std::shared_ptr<const Rendered> json(int type, int limit) const;

private:
    const GameInfo& game_;
    GameTables tables_;
    mutable std::once_flag replyOnce_, pageOnce_;
    mutable std::string reply_;
    mutable Rendered page_;
    mutable std::mutex jsonMutex_;
    mutable std::map<int, std::shared_ptr<const Rendered>> json_;
};

enum class SubmitOutcome { Stored, Unchanged, QueryOnly };

class Leaderboard {
public:
    // Reads every known game's tables; with a poll interval above zero a thread checks the
    // store's change counter that often.
    Leaderboard(StorePool& pool, std::chrono::milliseconds pollInterval);
    ~Leaderboard();
    Leaderboard(const Leaderboard&) = delete;
    Leaderboard& operator=(const Leaderboard&) = delete;

    // The current snapshot of a known game.
    std::shared_ptr<const Snapshot> snapshot(int game) const;
    // Keeps what the submission raises; nothing is written when it changes nothing.
    SubmitOutcome submit(const Submission& submission, std::int64_t now);
    // Reads the tables again when the store changed behind this process's back.
    void refreshIfChanged();

private:
    void rebuild(const GameInfo& game, Store& store);
    void publish(const GameInfo& game, GameTables tables);
    void pollLoop(std::chrono::milliseconds interval);

    StorePool& pool_;
    mutable std::mutex snapshotMutex_;
    std::map<int, std::shared_ptr<const Snapshot>> snapshots_;
    // Held while writing and while replacing snapshots, so that both happen in one order.
    std::mutex writeMutex_;
    std::int64_t knownRevision_ = 0;
    std::mutex pollMutex_;
    std::condition_variable pollWake_;
    bool stopping_ = false;
    std::thread poller_;
};

// The name as the tables keep it: trailing spaces dropped.
std::string storedName(std::string_view sentName);

} // namespace hexwend::server

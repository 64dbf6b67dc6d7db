// Where the tables live: one small interface over a database connection, opened on SQLite (a
// file, the default) or PostgreSQL (a "postgresql://" or "postgres://" connection URI). A Store
// is one connection and is used by one thread at a time; StorePool shares a bounded set.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hexwend::server {

// A database failure: the connection, a statement or the schema.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TypeBest {
    int type = 0;
    std::int64_t best = 0;
    std::int64_t extra = 0;
    std::int64_t setAt = 0; // Unix seconds
};

// Everything kept for one identity of one game.
struct PlayerRecord {
    std::string name;
    std::int64_t firstSeen = 0;
    std::int64_t lastSeen = 0;
    std::vector<TypeBest> bests; // by type, only types with a score
};

// One write: the player's name and last-seen time, and new bests. A best is only ever raised:
// one not above the stored best is left alone, whoever wrote in between.
struct PlayerUpdate {
    int game = 0;
    std::string identity;
    std::string name;
    std::int64_t now = 0;
    std::vector<TypeBest> bests; // setAt is taken from now
};

// One place of a table.
struct ScoreEntry {
    std::string identity;
    std::string name;
    std::int64_t best = 0;
    std::int64_t extra = 0;
    std::int64_t setAt = 0;
};

struct TypeTable {
    int type = 0;
    std::int64_t players = 0;      // identities with a score above 0 in this type
    std::vector<ScoreEntry> top;   // best first; equal scores by who set them first
};

// The tables of one game as one consistent read.
struct GameTables {
    int game = 0;
    std::int64_t revision = 0;     // the store's change counter when read
    std::int64_t lastSetAt = 0;    // when the latest best was set, 0 when none
    std::int64_t players = 0;      // identities that sent anything
    std::vector<TypeTable> types;  // types 1 … n
};

// One line of the CSV export: a player with one of its scores (type 0 when it has none).
struct ExportRow {
    int game = 0;
    std::string identity;
    std::string name;
    std::int64_t firstSeen = 0;
    std::int64_t lastSeen = 0;
    TypeBest score;
};

class Store {
public:
    virtual ~Store() = default;

    virtual std::optional<PlayerRecord> findPlayer(int game, std::string_view identity) = 0;
    // Writes in one transaction; answers the store's change counter after it.
    virtual std::int64_t savePlayer(const PlayerUpdate& update) = 0;
    // The change counter: every write, by any process, raises it.
    virtual std::int64_t revision() = 0;
    virtual GameTables readTables(int game, int typeCount, int places) = 0;
    // Removes an identity's name and scores; answers whether it was there.
    virtual bool removePlayer(int game, std::string_view identity) = 0;
    virtual void exportAll(const std::function<void(const ExportRow&)>& row) = 0;
    // The schema version the store has been brought to.
    virtual int schemaVersion() = 0;
};

// Opens (and creates or migrates) the store at location: a PostgreSQL connection URI, or the
// path of an SQLite file.
std::unique_ptr<Store> openStore(const std::string& location);

bool isPostgresLocation(std::string_view location);

// A bounded set of connections to one store, opened as they are first needed.
class StorePool {
public:
    StorePool(std::string location, std::size_t maxConnections);

    class Lease {
    public:
        Lease(StorePool& pool, std::unique_ptr<Store> store) : pool_(&pool), store_(std::move(store)) {}
        Lease(Lease&& other) noexcept = default;
        Lease& operator=(Lease&&) = delete;
        ~Lease();
        Store* operator->() const { return store_.get(); }
        Store& operator*() const { return *store_; }
        // A connection that failed is not given back to the pool but closed.
        void discard() { broken_ = true; }

    private:
        StorePool* pool_;
        std::unique_ptr<Store> store_;
        bool broken_ = false;
    };

    // A connection for the caller alone until the lease ends; waits while all are in use.
    Lease acquire();
    const std::string& location() const { return location_; }

private:
    void release(std::unique_ptr<Store> store, bool broken);

    std::string location_;
    std::size_t maxConnections_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<Store>> idle_;
    std::size_t open_ = 0;
};

} // namespace hexwend::server

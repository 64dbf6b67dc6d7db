#include "server/store.h"

#include "server/sql_connection.h"

#include <array>
#include <charconv>

namespace hexwend::server {

namespace {

// The schema, one step per version; a store is brought to the last at start-up, each step in
// the same transaction as the record of it. Steps are only ever appended.
const std::array<const char*, 1> kMigrations = {
    // 1: players, their best score per game type, and the change counter.
    "CREATE TABLE players ("
    "  game INTEGER NOT NULL,"
    "  identity TEXT NOT NULL,"
    "  name TEXT NOT NULL,"
    "  first_seen BIGINT NOT NULL,"
    "  last_seen BIGINT NOT NULL,"
    "  PRIMARY KEY (game, identity));"
    "CREATE TABLE scores ("
    "  game INTEGER NOT NULL,"
    "  identity TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  best BIGINT NOT NULL,"
    "  extra BIGINT NOT NULL,"
    "  set_at BIGINT NOT NULL,"
    "  PRIMARY KEY (game, identity, type));"
    "CREATE INDEX scores_by_rank ON scores (game, type, best DESC, set_at, identity);"
    "CREATE TABLE revision (id INTEGER PRIMARY KEY, n BIGINT NOT NULL);"
    "INSERT INTO revision (id, n) VALUES (1, 0);",
};

struct StatementText {
    Statement id;
    const char* sql;
};

const std::array<StatementText, kStatementCount> kStatements = {{
    {Statement::FindPlayer,
     "SELECT p.name, p.first_seen, p.last_seen, s.type, s.best, s.extra, s.set_at FROM players p"
     " LEFT JOIN scores s ON s.game = p.game AND s.identity = p.identity"
     " WHERE p.game = $1 AND p.identity = $2 ORDER BY s.type"},
    {Statement::UpsertPlayer,
     "INSERT INTO players (game, identity, name, first_seen, last_seen) VALUES ($1, $2, $3, $4, $4)"
     " ON CONFLICT (game, identity) DO UPDATE SET name = excluded.name, last_seen = excluded.last_seen"},
    {Statement::UpsertScore,
     "INSERT INTO scores (game, identity, type, best, extra, set_at) VALUES ($1, $2, $3, $4, $5, $6)"
     " ON CONFLICT (game, identity, type) DO UPDATE"
     " SET best = excluded.best, extra = excluded.extra, set_at = excluded.set_at"
     " WHERE excluded.best > scores.best"},
    {Statement::BumpRevision, "UPDATE revision SET n = n + 1 WHERE id = 1 RETURNING n"},
    {Statement::Revision, "SELECT n FROM revision WHERE id = 1"},
    {Statement::TopScores,
     "SELECT s.identity, p.name, s.best, s.extra, s.set_at FROM scores s"
     " JOIN players p ON p.game = s.game AND p.identity = s.identity"
     " WHERE s.game = $1 AND s.type = $2 AND s.best > 0"
     " ORDER BY s.best DESC, s.set_at, s.identity LIMIT $3"},
    {Statement::CountPlayers, "SELECT count(*) FROM scores WHERE game = $1 AND type = $2 AND best > 0"},
    {Statement::CountAllPlayers, "SELECT count(*) FROM players WHERE game = $1"},
    {Statement::LastSetAt, "SELECT max(set_at) FROM scores WHERE game = $1"},
    {Statement::DeleteScores, "DELETE FROM scores WHERE game = $1 AND identity = $2"},
    {Statement::DeletePlayer, "DELETE FROM players WHERE game = $1 AND identity = $2 RETURNING identity"},
    {Statement::ExportAll,
     "SELECT p.game, p.identity, p.name, p.first_seen, p.last_seen, s.type, s.best, s.extra, s.set_at"
     " FROM players p LEFT JOIN scores s ON s.game = p.game AND s.identity = p.identity"
     " ORDER BY p.game, p.identity, s.type"},
}};

// A transaction that rolls back unless committed.
class Transaction {
public:
    Transaction(SqlConnection& conn, const std::string& begin) : conn_(conn) { conn_.execute(begin); }
    ~Transaction() {
        if (open_) {
            try {
                conn_.execute("ROLLBACK");
            } catch (const StoreError&) {
                // The connection is gone; the database drops the transaction itself.
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        conn_.execute("COMMIT");
        open_ = false;
    }

private:
    SqlConnection& conn_;
    bool open_ = true;
};

class SqlStore final : public Store {
public:
    explicit SqlStore(std::unique_ptr<SqlConnection> conn) : conn_(std::move(conn)) {
        migrate();
        for (const StatementText& s : kStatements) conn_->prepare(s.id, s.sql);
    }

    std::optional<PlayerRecord> findPlayer(int game, std::string_view identity) override {
        std::array<SqlParam, 2> params{std::int64_t(game), identity};
        std::vector<SqlRow> rows = conn_->run(Statement::FindPlayer, params);
        if (rows.empty()) return std::nullopt;
        PlayerRecord record;
        record.name = rows[0].text(0);
        record.firstSeen = rows[0].integer(1);
        record.lastSeen = rows[0].integer(2);
        for (const SqlRow& row : rows)
            if (!row.isNull(3))
                record.bests.push_back({int(row.integer(3)), row.integer(4), row.integer(5), row.integer(6)});
        return record;
    }

    std::int64_t savePlayer(const PlayerUpdate& u) override {
        Transaction tx(*conn_, conn_->beginWrite());
        std::array<SqlParam, 4> player{std::int64_t(u.game), std::string_view(u.identity),
                                       std::string_view(u.name), u.now};
        conn_->run(Statement::UpsertPlayer, player);
        for (const TypeBest& b : u.bests) {
            std::array<SqlParam, 6> score{std::int64_t(u.game), std::string_view(u.identity),
                                          std::int64_t(b.type), b.best, b.extra, u.now};
            conn_->run(Statement::UpsertScore, score);
        }
        std::int64_t revision = conn_->run(Statement::BumpRevision, {}).at(0).integer(0);
        tx.commit();
        return revision;
    }

    std::int64_t revision() override { return conn_->run(Statement::Revision, {}).at(0).integer(0); }

    GameTables readTables(int game, int typeCount, int places) override {
        Transaction tx(*conn_, conn_->beginRead());
        GameTables tables;
        tables.game = game;
        tables.revision = revision();
        std::array<SqlParam, 1> byGame{std::int64_t(game)};
        std::vector<SqlRow> last = conn_->run(Statement::LastSetAt, byGame);
        tables.lastSetAt = last.empty() || last[0].isNull(0) ? 0 : last[0].integer(0);
        tables.players = conn_->run(Statement::CountAllPlayers, byGame).at(0).integer(0);
        for (int type = 1; type <= typeCount; ++type) {
            TypeTable table;
            table.type = type;
            std::array<SqlParam, 2> byType{std::int64_t(game), std::int64_t(type)};
            table.players = conn_->run(Statement::CountPlayers, byType).at(0).integer(0);
            std::array<SqlParam, 3> top{std::int64_t(game), std::int64_t(type), std::int64_t(places)};
            for (const SqlRow& row : conn_->run(Statement::TopScores, top))
                table.top.push_back({row.text(0), row.text(1), row.integer(2), row.integer(3), row.integer(4)});
            tables.types.push_back(std::move(table));
        }
        tx.commit();
        return tables;
    }

    bool removePlayer(int game, std::string_view identity) override {
        Transaction tx(*conn_, conn_->beginWrite());
        std::array<SqlParam, 2> params{std::int64_t(game), identity};
        conn_->run(Statement::DeleteScores, params);
        bool found = !conn_->run(Statement::DeletePlayer, params).empty();
        conn_->run(Statement::BumpRevision, {});
        tx.commit();
        return found;
    }

    void exportAll(const std::function<void(const ExportRow&)>& emit) override {
        Transaction tx(*conn_, conn_->beginRead());
        for (const SqlRow& row : conn_->run(Statement::ExportAll, {})) {
            ExportRow out;
            out.game = int(row.integer(0));
            out.identity = row.text(1);
            out.name = row.text(2);
            out.firstSeen = row.integer(3);
            out.lastSeen = row.integer(4);
            if (!row.isNull(5)) out.score = {int(row.integer(5)), row.integer(6), row.integer(7), row.integer(8)};
            emit(out);
        }
        tx.commit();
    }

    int schemaVersion() override {
        std::vector<SqlRow> rows = conn_->execute("SELECT max(version) FROM schema_version");
        return rows.empty() || rows[0].isNull(0) ? 0 : int(rows[0].integer(0));
    }

private:
    void migrate() {
        Transaction tx(*conn_, conn_->beginWrite());
        conn_->lockSchema();
        conn_->execute("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        int current = schemaVersion();
        if (current > int(kMigrations.size()))
            throw StoreError("the database's schema version " + std::to_string(current) +
                             " is newer than this program's " + std::to_string(kMigrations.size()));
        for (int v = current + 1; v <= int(kMigrations.size()); ++v) {
            conn_->execute(kMigrations[size_t(v - 1)]);
            conn_->execute("INSERT INTO schema_version (version) VALUES (" + std::to_string(v) + ")");
        }
        tx.commit();
    }

    std::unique_ptr<SqlConnection> conn_;
};

} // namespace

std::int64_t SqlRow::integer(std::size_t i) const {
    const std::string& t = text(i);
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) throw StoreError("not a number in a result: " + t);
    return v;
}

const std::string& SqlRow::text(std::size_t i) const {
    const std::optional<std::string>& c = columns.at(i);
    if (!c) throw StoreError("unexpected NULL in a result");
    return *c;
}

bool isPostgresLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::unique_ptr<Store> openStore(const std::string& location) {
    if (isPostgresLocation(location)) return std::make_unique<SqlStore>(openPostgres(location));
    return std::make_unique<SqlStore>(openSqlite(location));
}

StorePool::StorePool(std::string location, std::size_t maxConnections)
    : location_(std::move(location)), maxConnections_(maxConnections < 1 ? 1 : maxConnections) {}

StorePool::Lease StorePool::acquire() {
    std::unique_lock lock(mutex_);
    available_.wait(lock, [&] { return !idle_.empty() || open_ < maxConnections_; });
    if (!idle_.empty()) {
        std::unique_ptr<Store> store = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(store));
    }
    ++open_;
    lock.unlock();
    try {
        return Lease(*this, openStore(location_));
    } catch (...) {
        lock.lock();
        --open_;
        available_.notify_one();
        throw;
    }
}

void StorePool::release(std::unique_ptr<Store> store, bool broken) {
    std::lock_guard lock(mutex_);
    if (broken) --open_;
    else idle_.push_back(std::move(store));
    available_.notify_one();
}

StorePool::Lease::~Lease() {
    if (pool_ && store_) pool_->release(std::move(store_), broken_);
}

} // namespace hexwend::server

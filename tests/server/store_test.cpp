// The store and the cached tables, the same cases on SQLite and on a real PostgreSQL that the
// test starts itself.
#include "server/leaderboard.h"
#include "server/render.h"
#include "server/store.h"
#include "tests/server/postgres_instance.h"
#include "tests/server/server_support.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <thread>

namespace {

using namespace hexwend::server;
using hexwend::testing::PostgresInstance;
using hexwend::testing::submission;
using hexwend::testing::TempFolder;

constexpr std::int64_t kT0 = 1'765'454'700; // a fixed "now"

std::string identity(int n) {
    std::string digits = std::to_string(n);
    return std::string(size_t(kIdentityLength) - digits.size(), '1') + digits;
}

// Where each case's fresh store lives.
class Backend {
public:
    virtual ~Backend() = default;
    virtual std::string freshLocation() = 0;
};

class SqliteBackend : public Backend {
public:
    std::string freshLocation() override { return folder_ / ("scores" + std::to_string(++n_) + ".db"); }

private:
    TempFolder folder_;
    int n_ = 0;
};

class PostgresBackend : public Backend {
public:
    std::string freshLocation() override { return instance_.createDatabase(); }

private:
    PostgresInstance instance_;
};

// One database server for the whole suite.
Backend& backend(const std::string& kind) {
    static std::unique_ptr<Backend> sqlite, postgres;
    std::unique_ptr<Backend>& slot = kind == "postgresql" ? postgres : sqlite;
    if (!slot) {
        if (kind == "postgresql") slot = std::make_unique<PostgresBackend>();
        else slot = std::make_unique<SqliteBackend>();
    }
    return *slot;
}

class ScoresStoreTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        location = backend(GetParam()).freshLocation();
        store = openStore(location);
    }

    PlayerUpdate update(int n, const std::string& name, std::int64_t now, std::vector<TypeBest> bests) {
        return PlayerUpdate{506, identity(n), name, now, std::move(bests)};
    }

    std::string location;
    std::unique_ptr<Store> store;
};

TEST_P(ScoresStoreTest, AFreshStoreHasTheSchemaAndNoPlayers) {
    EXPECT_EQ(store->schemaVersion(), 1);
    EXPECT_EQ(store->revision(), 0);
    EXPECT_FALSE(store->findPlayer(506, identity(1)));
    GameTables t = store->readTables(506, 3, 100);
    EXPECT_EQ(t.players, 0);
    EXPECT_EQ(t.lastSetAt, 0);
    ASSERT_EQ(t.types.size(), 3u);
    for (const TypeTable& type : t.types) {
        EXPECT_EQ(type.players, 0);
        EXPECT_TRUE(type.top.empty());
    }
    // Opening again migrates nothing twice and keeps what is there.
    store->savePlayer(update(1, "Ann", kT0, {{1, 10, 0, 0}}));
    store = openStore(location);
    EXPECT_EQ(store->schemaVersion(), 1);
    EXPECT_TRUE(store->findPlayer(506, identity(1)));
}

TEST_P(ScoresStoreTest, KeepsNameTimesAndOnlyEverRaisesABest) {
    EXPECT_EQ(store->savePlayer(update(1, "Ann", kT0, {{1, 500, 7, 0}, {3, 20, -1, 0}})), 1);
    EXPECT_EQ(store->savePlayer(update(1, "Ann B", kT0 + 10, {{1, 300, 9, 0}, {2, 40, 0, 0}})), 2);
    auto p = store->findPlayer(506, identity(1));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, "Ann B");
    EXPECT_EQ(p->firstSeen, kT0);
    EXPECT_EQ(p->lastSeen, kT0 + 10);
    ASSERT_EQ(p->bests.size(), 3u);
    EXPECT_EQ(p->bests[0].best, 500); // 300 did not lower it
    EXPECT_EQ(p->bests[0].extra, 7);  // and the extra value stays with its best
    EXPECT_EQ(p->bests[0].setAt, kT0);
    EXPECT_EQ(p->bests[1].type, 2);
    EXPECT_EQ(p->bests[1].setAt, kT0 + 10);
    EXPECT_EQ(p->bests[2].extra, -1);
    EXPECT_FALSE(store->findPlayer(507, identity(1))); // games are apart
}

TEST_P(ScoresStoreTest, TablesRankByScoreThenByWhoSetItFirst) {
    store->savePlayer(update(1, "Late", kT0 + 5, {{2, 300, 0, 0}}));
    store->savePlayer(update(2, "Early", kT0, {{2, 300, 0, 0}}));
    store->savePlayer(update(3, "Top", kT0 + 9, {{2, 900, 0, 0}, {1, 5, 0, 0}}));
    store->savePlayer(update(4, "Nobody", kT0 + 2, {}));
    GameTables t = store->readTables(506, 3, 2);
    EXPECT_EQ(t.players, 4);
    EXPECT_EQ(t.lastSetAt, kT0 + 9);
    EXPECT_EQ(t.types[0].players, 1);
    EXPECT_EQ(t.types[1].players, 3);
    ASSERT_EQ(t.types[1].top.size(), 2u); // the limit
    EXPECT_EQ(t.types[1].top[0].name, "Top");
    EXPECT_EQ(t.types[1].top[1].name, "Early");
    EXPECT_EQ(t.types[1].top[1].identity, identity(2));
}

TEST_P(ScoresStoreTest, RemovingAPlayerTakesItsScoresAndCountsAsAChange) {
    store->savePlayer(update(1, "Ann", kT0, {{1, 10, 0, 0}}));
    store->savePlayer(update(2, "Bob", kT0, {{1, 20, 0, 0}}));
    std::int64_t before = store->revision();
    EXPECT_TRUE(store->removePlayer(506, identity(2)));
    EXPECT_GT(store->revision(), before);
    EXPECT_FALSE(store->removePlayer(506, identity(2)));
    GameTables t = store->readTables(506, 3, 10);
    EXPECT_EQ(t.players, 1);
    ASSERT_EQ(t.types[0].top.size(), 1u);
    EXPECT_EQ(t.types[0].top[0].name, "Ann");

    std::vector<ExportRow> rows;
    store->savePlayer(update(3, "Quiet \"one\"", kT0, {}));
    store->exportAll([&](const ExportRow& r) { rows.push_back(r); });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].score.best, 10);
    EXPECT_EQ(rows[1].name, "Quiet \"one\"");
    EXPECT_EQ(rows[1].score.type, 0); // a player without scores is exported too
}

TEST_P(ScoresStoreTest, ConnectionsWritingAtOnceKeepTheHighestBest) {
    constexpr int kWriters = 4, kRounds = 25;
    std::vector<std::thread> writers;
    std::atomic<int> failures{0};
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            try {
                auto own = openStore(location);
                for (int r = 0; r < kRounds; ++r)
                    own->savePlayer(update(1, "W" + std::to_string(w), kT0 + r, {{1, r * kWriters + w, 0, 0}}));
            } catch (const StoreError&) {
                ++failures;
            }
        });
    }
    for (auto& t : writers) t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(store->findPlayer(506, identity(1))->bests.at(0).best, kRounds * kWriters - 1);
    EXPECT_EQ(store->revision(), kWriters * kRounds);
}

// The cached tables --------------------------------------------------------------------------

class ScoresCachedTablesTest : public ScoresStoreTest {
protected:
    void SetUp() override {
        ScoresStoreTest::SetUp();
        pool = std::make_unique<StorePool>(location, 3);
        board = std::make_unique<Leaderboard>(*pool, std::chrono::milliseconds(0));
    }
    void TearDown() override {
        board.reset();
        pool.reset();
    }

    std::unique_ptr<StorePool> pool;
    std::unique_ptr<Leaderboard> board;
};

TEST_P(ScoresCachedTablesTest, AnUnchangedResubmissionWritesNothing) {
    auto s = submission(identity(1), "Ann", {100, 0, 50});
    EXPECT_EQ(board->submit(s, kT0), SubmitOutcome::Stored);
    std::int64_t revision = store->revision();
    auto snapshot = board->snapshot(506);
    EXPECT_EQ(board->submit(s, kT0 + 60), SubmitOutcome::Unchanged);
    s.scores[0].best = 90; // lower than stored: nothing to keep either
    EXPECT_EQ(board->submit(s, kT0 + 120), SubmitOutcome::Unchanged);
    EXPECT_EQ(store->revision(), revision);
    EXPECT_EQ(board->snapshot(506), snapshot); // the very same cached answers
    // An hour on, the last-seen time is written once.
    EXPECT_EQ(board->submit(s, kT0 + kLastSeenResolution), SubmitOutcome::Stored);
    EXPECT_EQ(store->findPlayer(506, identity(1))->lastSeen, kT0 + kLastSeenResolution);
    // Another mode only asks for the tables.
    s.mode = 1;
    EXPECT_EQ(board->submit(s, kT0 + 2 * kLastSeenResolution), SubmitOutcome::QueryOnly);
}

TEST_P(ScoresCachedTablesTest, TheCachedTablesAlwaysEqualAFreshRead) {
    // More players than the cache keeps places, new bests, renamed players, ties.
    std::mt19937 random(7);
    for (int step = 0; step < 400; ++step) {
        int who = int(random() % 130);
        std::vector<std::int64_t> bests = {std::int64_t(random() % 50) * 10, std::int64_t(random() % 3),
                                           std::int64_t(random() % 1000)};
        std::string name = "P" + std::to_string(who) + (random() % 4 == 0 ? "x" : "");
        board->submit(submission(identity(who), name, bests), kT0 + step / 3);
    }
    GameTables cached = board->snapshot(506)->tables();
    GameTables fresh = store->readTables(506, 3, kCachedPlaces);
    EXPECT_EQ(cached.players, fresh.players);
    EXPECT_EQ(cached.lastSetAt, fresh.lastSetAt);
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(cached.types[t].players, fresh.types[t].players);
        ASSERT_EQ(cached.types[t].top.size(), fresh.types[t].top.size()) << "type " << t + 1;
        for (size_t i = 0; i < fresh.types[t].top.size(); ++i) {
            const ScoreEntry &a = cached.types[t].top[i], &b = fresh.types[t].top[i];
            EXPECT_EQ(a.identity, b.identity) << "type " << t + 1 << " place " << i + 1;
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.best, b.best);
            EXPECT_EQ(a.setAt, b.setAt);
        }
    }
    EXPECT_EQ(board->snapshot(506)->gameReply(), renderGameReply(fresh, *findGame(506)));
}

TEST_P(ScoresCachedTablesTest, ChangesFromAnotherProcessAreReadAgain) {
    // A second server on the same database, and an operator removing a player.
    StorePool otherPool(location, 2);
    Leaderboard other(otherPool, std::chrono::milliseconds(0));
    board->submit(submission(identity(1), "Ann", {100}), kT0);
    other.submit(submission(identity(2), "Bob", {200}), kT0 + 1);
    // The first server's own next write sees that it missed one and reads everything.
    board->submit(submission(identity(3), "Cy", {50}), kT0 + 2);
    EXPECT_EQ(board->snapshot(506)->tables().types[0].top.size(), 3u);

    other.refreshIfChanged();
    EXPECT_EQ(other.snapshot(506)->tables().types[0].top.size(), 3u);
    openStore(location)->removePlayer(506, identity(2));
    other.refreshIfChanged();
    ASSERT_EQ(other.snapshot(506)->tables().types[0].top.size(), 2u);
    EXPECT_EQ(other.snapshot(506)->tables().types[0].top[0].name, "Ann");

    // An entity tag follows the table it describes.
    std::string before = board->snapshot(506)->json(1, 20)->etag;
    board->refreshIfChanged();
    EXPECT_NE(board->snapshot(506)->json(1, 20)->etag, before);
    EXPECT_EQ(board->snapshot(506)->json(2, 20)->etag, board->snapshot(506)->json(2, 20)->etag);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, ScoresStoreTest, ::testing::Values("sqlite"));
INSTANTIATE_TEST_SUITE_P(Postgres, ScoresStoreTest, ::testing::Values("postgresql"));
INSTANTIATE_TEST_SUITE_P(Sqlite, ScoresCachedTablesTest, ::testing::Values("sqlite"));
INSTANTIATE_TEST_SUITE_P(Postgres, ScoresCachedTablesTest, ::testing::Values("postgresql"));

} // namespace

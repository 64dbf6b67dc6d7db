#include "server/sql_connection.h"
#include "server/store.h"

#include <sqlite3.h>

#include <array>

namespace hexwend::server {

namespace {

// Waits this long for another connection's write to finish before giving up.
constexpr int kBusyTimeoutMs = 5000;

class SqliteConnection final : public SqlConnection {
public:
    explicit SqliteConnection(const std::string& path) {
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw StoreError("cannot open " + path + ": " + message);
        }
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        // Write-ahead logging: readers never wait for the writer. A commit is in the log before
        // the reply goes out, so a killed server loses nothing it acknowledged.
        execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    }

    ~SqliteConnection() override {
        for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
        sqlite3_close(db_);
    }

    std::vector<SqlRow> execute(const std::string& sql) override {
        std::vector<SqlRow> rows;
        const char* rest = sql.c_str();
        while (*rest) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db_, rest, -1, &stmt, &rest) != SQLITE_OK) fail("prepare");
            if (!stmt) break; // only white space or a comment was left
            rows = stepAll(stmt);
            sqlite3_finalize(stmt);
        }
        return rows;
    }

    void prepare(Statement id, const std::string& sql) override {
        sqlite3_stmt*& slot = statements_[size_t(id)];
        sqlite3_finalize(slot);
        slot = nullptr;
        if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) != SQLITE_OK)
            fail("prepare");
    }

    std::vector<SqlRow> run(Statement id, std::span<const SqlParam> params) override {
        sqlite3_stmt* stmt = statements_[size_t(id)];
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        for (size_t i = 0; i < params.size(); ++i) {
            std::string name = "$" + std::to_string(i + 1);
            int index = sqlite3_bind_parameter_index(stmt, name.c_str());
            if (index == 0) continue;
            int rc = std::holds_alternative<std::int64_t>(params[i])
                         ? sqlite3_bind_int64(stmt, index, std::get<std::int64_t>(params[i]))
                         : sqlite3_bind_text(stmt, index, std::get<std::string_view>(params[i]).data(),
                                             int(std::get<std::string_view>(params[i]).size()), SQLITE_TRANSIENT);
            if (rc != SQLITE_OK) fail("bind");
        }
        std::vector<SqlRow> rows = stepAll(stmt);
        sqlite3_reset(stmt);
        return rows;
    }

    std::string beginWrite() const override { return "BEGIN IMMEDIATE"; }
    std::string beginRead() const override { return "BEGIN"; }
    void lockSchema() override {} // BEGIN IMMEDIATE already holds the database's write lock

private:
    std::vector<SqlRow> stepAll(sqlite3_stmt* stmt) {
        std::vector<SqlRow> rows;
        for (;;) {
            int rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE) return rows;
            if (rc != SQLITE_ROW) {
                sqlite3_reset(stmt);
                fail("step");
            }
            SqlRow row;
            int n = sqlite3_column_count(stmt);
            row.columns.reserve(size_t(n));
            for (int c = 0; c < n; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                    row.columns.emplace_back();
                } else {
                    auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    row.columns.emplace_back(std::string(text, size_t(sqlite3_column_bytes(stmt, c))));
                }
            }
            rows.push_back(std::move(row));
        }
    }

    [[noreturn]] void fail(const char* what) {
        throw StoreError(std::string("sqlite ") + what + ": " + sqlite3_errmsg(db_));
    }

    sqlite3* db_ = nullptr;
    std::array<sqlite3_stmt*, kStatementCount> statements_{};
};

} // namespace

std::unique_ptr<SqlConnection> openSqlite(const std::string& path) {
    return std::make_unique<SqliteConnection>(path);
}

} // namespace hexwend::server

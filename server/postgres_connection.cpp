#include "server/sql_connection.h"
#include "server/store.h"

#include <libpq-fe.h>

#include <memory>

namespace hexwend::server {

namespace {

// Any number, the same in every process: the key of the lock held while the schema changes.
constexpr long long kSchemaLockKey = 7506'2026;

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PostgresConnection final : public SqlConnection {
public:
    explicit PostgresConnection(const std::string& uri) : conn_(PQconnectdb(uri.c_str())) {
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            std::string message = conn_ ? PQerrorMessage(conn_) : "out of memory";
            PQfinish(conn_);
            throw StoreError("cannot connect to PostgreSQL: " + trim(message));
        }
        check(Result(PQexec(conn_, "SET client_min_messages = warning")), "set-up");
    }

    ~PostgresConnection() override { PQfinish(conn_); }

    std::vector<SqlRow> execute(const std::string& sql) override {
        return rowsOf(check(Result(PQexec(conn_, sql.c_str())), "statement"));
    }

    void prepare(Statement id, const std::string& sql) override {
        std::string name = statementName(id);
        check(Result(PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr)), "prepare");
    }

    std::vector<SqlRow> run(Statement id, std::span<const SqlParam> params) override {
        std::vector<std::string> texts;
        texts.reserve(params.size());
        for (const SqlParam& p : params) {
            if (std::holds_alternative<std::int64_t>(p)) texts.push_back(std::to_string(std::get<std::int64_t>(p)));
            else texts.emplace_back(std::get<std::string_view>(p));
        }
        std::vector<const char*> values;
        for (const std::string& t : texts) values.push_back(t.c_str());
        std::string name = statementName(id);
        return rowsOf(check(Result(PQexecPrepared(conn_, name.c_str(), int(values.size()), values.data(),
                                                  nullptr, nullptr, 0)),
                            "statement"));
    }

    std::string beginWrite() const override { return "BEGIN"; }
    std::string beginRead() const override { return "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"; }
    void lockSchema() override {
        execute("SELECT pg_advisory_xact_lock(" + std::to_string(kSchemaLockKey) + ")");
    }

private:
    static std::string statementName(Statement id) { return "s" + std::to_string(int(id)); }

    static std::string trim(std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

    Result check(Result result, const char* what) {
        ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw StoreError(std::string("postgresql ") + what + ": " + trim(PQerrorMessage(conn_)));
        return result;
    }

    static std::vector<SqlRow> rowsOf(const Result& result) {
        std::vector<SqlRow> rows;
        int n = PQntuples(result.get()), columns = PQnfields(result.get());
        rows.reserve(size_t(n));
        for (int r = 0; r < n; ++r) {
            SqlRow row;
            row.columns.reserve(size_t(columns));
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result.get(), r, c)) row.columns.emplace_back();
                else row.columns.emplace_back(std::string(PQgetvalue(result.get(), r, c), size_t(PQgetlength(result.get(), r, c))));
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    PGconn* conn_;
};

} // namespace

std::unique_ptr<SqlConnection> openPostgres(const std::string& uri) {
    return std::make_unique<PostgresConnection>(uri);
}

} // namespace hexwend::server

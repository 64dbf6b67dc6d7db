// The two database drivers under the store: a connection that runs plain SQL and prepared
// statements with numbered parameters ($1, $2, …, the same text on both databases) and answers
// rows of text values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace hexwend::server {

enum class Statement {
    FindPlayer,
    UpsertPlayer,
    UpsertScore,
    BumpRevision,
    Revision,
    TopScores,
    CountPlayers,
    CountAllPlayers,
    LastSetAt,
    DeleteScores,
    DeletePlayer,
    ExportAll,
};
constexpr int kStatementCount = int(Statement::ExportAll) + 1;

using SqlParam = std::variant<std::int64_t, std::string_view>;

// One result row; a column is empty when it is SQL NULL.
struct SqlRow {
    std::vector<std::optional<std::string>> columns;

    std::int64_t integer(std::size_t i) const;
    const std::string& text(std::size_t i) const;
    bool isNull(std::size_t i) const { return !columns.at(i).has_value(); }
};

class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    // Runs statements without parameters (schema changes, transaction control).
    virtual std::vector<SqlRow> execute(const std::string& sql) = 0;
    virtual void prepare(Statement id, const std::string& sql) = 0;
    virtual std::vector<SqlRow> run(Statement id, std::span<const SqlParam> params) = 0;
    // The statement that opens a writing transaction, and one that opens a consistent read.
    virtual std::string beginWrite() const = 0;
    virtual std::string beginRead() const = 0;
    // Inside a writing transaction: keeps other processes from changing the schema at once.
    virtual void lockSchema() = 0;
};

std::unique_ptr<SqlConnection> openSqlite(const std::string& path);
std::unique_ptr<SqlConnection> openPostgres(const std::string& uri);

} // namespace hexwend::server

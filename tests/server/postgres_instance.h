// A PostgreSQL server of the test's own: a fresh cluster in a temporary folder, listening
// only on a Unix socket in that folder, stopped and removed at the end. Debian's initdb and
// pg_ctl refuse to run as root, so as root they run as the `postgres` user.
#pragma once

#include <string>
#include <vector>

namespace hexwend::testing {

class PostgresInstance {
public:
    // Throws std::runtime_error with the server's log when it cannot start.
    PostgresInstance();
    ~PostgresInstance();
    PostgresInstance(const PostgresInstance&) = delete;
    PostgresInstance& operator=(const PostgresInstance&) = delete;

    // A connection URI of a new, empty database.
    std::string createDatabase();

private:
    std::string run(const std::vector<std::string>& command);

    std::string folder_;
    std::string bin_;
    bool asPostgres_ = false;
    bool started_ = false;
    int databases_ = 0;
};

} // namespace hexwend::testing

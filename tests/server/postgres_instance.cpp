#include "tests/server/postgres_instance.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace hexwend::testing {

namespace {

constexpr const char* kUser = "hexwend";

// The newest of Debian's PostgreSQL installations.
std::string serverBinaries() {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec))
        if (std::filesystem::exists(entry.path() / "bin" / "initdb")) found.push_back(entry.path() / "bin");
    if (found.empty()) throw std::runtime_error("no PostgreSQL server under /usr/lib/postgresql (scripts/install-deps)");
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::stoi(a.parent_path().filename().string()) < std::stoi(b.parent_path().filename().string());
    });
    return found.back().string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

PostgresInstance::PostgresInstance() {
    bin_ = serverBinaries();
    asPostgres_ = ::geteuid() == 0;
    std::string pattern = "/tmp/hexwend-pg-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    folder_ = pattern;
    if (asPostgres_) {
        passwd* pg = ::getpwnam("postgres");
        if (!pg) throw std::runtime_error("no postgres user");
        if (::chown(folder_.c_str(), pg->pw_uid, pg->pw_gid) != 0) throw std::runtime_error("cannot hand the folder over");
    }
    std::string data = folder_ + "/data";
    run({bin_ + "/initdb", "-D", data, "-U", kUser, "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"});
    // No TCP at all: the socket lives in the private folder, so concurrent runs never collide.
    run({bin_ + "/pg_ctl", "-D", data, "-l", folder_ + "/server.log", "-w", "-t", "60", "-o",
         "-k " + folder_ + " -c listen_addresses= -F -c max_connections=50", "start"});
    started_ = true;
}

PostgresInstance::~PostgresInstance() {
    if (started_) {
        try {
            run({bin_ + "/pg_ctl", "-D", folder_ + "/data", "-m", "immediate", "-w", "stop"});
        } catch (const std::exception&) {
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string PostgresInstance::createDatabase() {
    std::string name = "scores" + std::to_string(++databases_);
    std::string admin = "postgresql://" + std::string(kUser) + "@/postgres?host=" + folder_;
    PGconn* conn = PQconnectdb(admin.c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        std::string error = PQerrorMessage(conn);
        PQfinish(conn);
        throw std::runtime_error("cannot reach the test's PostgreSQL: " + error);
    }
    PGresult* r = PQexec(conn, ("CREATE DATABASE " + name).c_str());
    bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    std::string error = PQerrorMessage(conn);
    PQclear(r);
    PQfinish(conn);
    if (!ok) throw std::runtime_error("CREATE DATABASE failed: " + error);
    return "postgresql://" + std::string(kUser) + "@/" + name + "?host=" + folder_;
}

std::string PostgresInstance::run(const std::vector<std::string>& command) {
    std::vector<std::string> all;
    if (asPostgres_) all = {"/usr/sbin/runuser", "-u", "postgres", "--"};
    all.insert(all.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string logPath = folder_ + "/command.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot run " + all[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::string output = readFile(logPath);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command[0] + " failed:\n" + output + readFile(folder_ + "/server.log"));
    return output;
}

} // namespace hexwend::testing

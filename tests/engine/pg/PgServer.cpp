#include "PgServer.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace foliant::engine::test {

namespace fs = std::filesystem;

namespace {

// The folder of initdb and pg_ctl: Debian keeps them per major version.
std::string ServerPrograms() {
    if (const char* bin = std::getenv("FOLIANT_PG_BINDIR")) {
        return bin;
    }
    std::error_code ec;
    std::string best;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const fs::path bin = entry.path() / "bin";
        if (fs::exists(bin / "pg_ctl") && bin.string() > best) {
            best = bin.string();
        }
    }
    return best;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

PgServer& PgServer::Shared() {
    static PgServer server;
    return server;
}

void PgServer::Run(const std::string& program, const std::string& arguments) const {
    const std::string prefix = ::geteuid() == 0 ? "runuser -u postgres -- " : "";
    const std::string command =
        prefix + bin_ + "/" + program + " " + arguments + " >>" + folder_ + "/server.log 2>&1";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error(program + " failed:\n" + ReadAll(folder_ + "/server.log"));
    }
}

void PgServer::Start() {
    bin_ = ServerPrograms();
    std::string pattern = (fs::temp_directory_path() / "foliant-pg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder for the server");
    }
    folder_ = pattern;
    std::ofstream(folder_ + "/password") << kPassword << "\n";
    if (::geteuid() == 0 && std::system(("chown -R postgres: " + folder_).c_str()) != 0) {
        throw std::runtime_error("cannot give the server folder to the postgres user");
    }
    Run("initdb", "-D " + folder_ + "/data -U foliant --pwfile=" + folder_ +
                      "/password -A scram-sha-256 -E UTF8 --locale=C --no-sync --no-instructions");
    Run("pg_ctl", "-D " + folder_ + "/data -l " + folder_ + "/data/log -w -o \"-k " + folder_ +
                      " -c listen_addresses='' -c fsync=off -c full_page_writes=off\" start");
    running_ = true;
}

void PgServer::Kill() {
    if (running_) {
        running_ = false;
        Run("pg_ctl", "-D " + folder_ + "/data -m immediate -w stop");
    }
}

void PgServer::Stop() {
    try {
        Kill();
    } catch (const std::exception&) {
        // the folder goes anyway
    }
    if (!folder_.empty()) {
        std::error_code ec;
        fs::remove_all(folder_, ec);
        folder_.clear();
    }
}

std::string PgServer::Uri(const std::string& database, bool withPassword) const {
    return std::string("postgresql://foliant") +
           (withPassword ? std::string(":") + kPassword : "") + "@/" + database +
           "?host=" + folder_;
}

void PgServer::Exec(const std::string& database, const std::string& sql) const {
    PGconn* conn = PQconnectdb(Uri(database).c_str());
    ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    PGresult* r = PQexec(conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(r);
    EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        << PQerrorMessage(conn) << " in " << sql.substr(0, 300);
    PQclear(r);
    PQfinish(conn);
}

std::string PgServer::Scalar(const std::string& database, const std::string& sql) const {
    PGconn* conn = PQconnectdb(Uri(database).c_str());
    PGresult* r = PQexec(conn, sql.c_str());
    std::string out;
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) {
        out = PQgetvalue(r, 0, 0);
    } else {
        ADD_FAILURE() << PQerrorMessage(conn) << " in " << sql;
    }
    PQclear(r);
    PQfinish(conn);
    return out;
}

void PgServer::CreateDatabase(const std::string& name, const std::string& sql) const {
    Exec("postgres", "CREATE DATABASE \"" + name + "\"");
    if (!sql.empty()) {
        Exec(name, sql);
    }
}

} // namespace foliant::engine::test

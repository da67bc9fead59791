#pragma once

// A private PostgreSQL server for one test program: initdb into a temporary folder, started
// on a Unix socket in that folder with no TCP, and stopped (the folder removed) at the end.
// The server refuses to run as root; a root test program runs it as the postgres system user,
// with the folder owned by that user. Logins need the password, so a wrong one can be tried.

#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <string>

namespace foliant::engine::test {

class PgServer {
public:
    PgServer() = default;
    ~PgServer() { Stop(); }
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Starts the server; throws std::runtime_error with the server's log when it cannot.
    void Start();
    // Stops the server at once (as a crash would) and removes its folder.
    void Stop();
    // Stops the server at once, keeping its folder, as a server going down mid-run.
    void Kill();

    // The URI of a database, with the password unless told otherwise.
    std::string Uri(const std::string& database, bool withPassword = true) const;
    // The socket folder.
    const std::string& Folder() const { return folder_; }

    // Runs SQL in the database; fails the test with the server's message on an error.
    void Exec(const std::string& database, const std::string& sql) const;
    // The first value of the first row a query answers, as text ("" for none or null).
    std::string Scalar(const std::string& database, const std::string& sql) const;
    // Makes a fresh database and runs the SQL script in it.
    void CreateDatabase(const std::string& name, const std::string& sql = "") const;

    static constexpr const char* kPassword = "s3cret";

    // The one server of this test program (started by PgEnvironment).
    static PgServer& Shared();

private:
    // Runs a server program (as the postgres user when root); throws with the log on failure.
    void Run(const std::string& program, const std::string& arguments) const;

    std::string folder_;
    std::string bin_;
    bool running_ = false;
};

// Starts PgServer::Shared() before the first test and stops it after the last.
class PgEnvironment : public ::testing::Environment {
public:
    void SetUp() override { PgServer::Shared().Start(); }
    void TearDown() override { PgServer::Shared().Stop(); }
};

} // namespace foliant::engine::test

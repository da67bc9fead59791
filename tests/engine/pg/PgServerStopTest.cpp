// A server that goes down in the middle of a run: the run fails with the server's name. This
// program's server is stopped by its one test, so the test has a program of its own.

#include "PgTestSupport.h"

namespace foliant::engine::test {
namespace {

TEST(PgServerStop, ServerStoppedMidRunNamesTheServer) {
    PgServer& server = PgServer::Shared();
    const std::string error = ErrorWhenInterrupted(server, "stopped", [&] { server.Kill(); });
    EXPECT_NE(error.find("Cannot read the report's records from the PostgreSQL server " +
                         server.Uri("stopped", false)),
              std::string::npos)
        << error;
}

} // namespace
} // namespace foliant::engine::test

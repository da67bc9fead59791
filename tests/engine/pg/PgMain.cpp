// The main of a PostgreSQL test program: one private server for all its tests.

#include "PgServer.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new foliant::engine::test::PgEnvironment);
    return RUN_ALL_TESTS();
}

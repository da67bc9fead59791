// foliant script --db with a postgresql:// URI: the wizard's tree over the sample data loaded
// into a server shows what it shows over the SQLite sample.

#include "../engine/pg/PgServer.h"
#include "../foliant/RunFoliant.h"

#include <nlohmann/json.hpp>

namespace foliant::engine::test {
namespace {

using cli_test::Quote;
using nlohmann::json;

// The nodes of the wizard's database tree on its second page, over the database given.
json TreeNodes(const std::filesystem::path& folder, const std::string& database) {
    std::ofstream(folder / "script.txt") << "click cmdNext\ndump\n";
    const auto r =
        cli_test::RunCaptured("cd " + Quote(folder.string()) + " && " + Quote(FOLIANT_EXE) +
                                  " script script.txt --db " + Quote(database),
                              folder);
    EXPECT_EQ(r.status, 0) << r.err;
    if (r.status != 0) {
        return {};
    }
    const json dump = json::parse(r.out);
    for (const auto& control : dump["form"]["controls"]) {
        if (control["name"] == "DatabaseTreeView") {
            return control["nodes"];
        }
    }
    ADD_FAILURE() << "no DatabaseTreeView in " << r.out;
    return {};
}

class PgCli : public cli_test::FolderTest {
protected:
    PgCli() : FolderTest("foliant-pg-cli") {}
};

TEST_F(PgCli, TheWizardsTreeOverAServerIsTheTreeOverTheSample) {
    std::ifstream in(std::string(FOLIANT_SOURCE_DIR) + "/samples/sample-postgresql.sql");
    std::stringstream script;
    script << in.rdbuf();
    PgServer::Shared().CreateDatabase("sample", script.str());

    const json overServer = TreeNodes(dir, PgServer::Shared().Uri("sample"));
    const json overFile = TreeNodes(dir, FOLIANT_SAMPLE_DB);
    ASSERT_GT(overFile.size(), 20U);
    // The server has no long-text type: its text columns are plain text, which the tree shows
    // where the SQLite sample's MEMO and CLOB columns are left out. Everything else is the same.
    std::vector<std::string> server;
    std::vector<std::string> file;
    for (const auto& node : overServer) {
        const std::string tag = node["tag"];
        if (tag != "{Customers.Notes}" && tag != "{Products.Description}") {
            server.push_back(node["text"].get<std::string>() + " " + tag);
        }
    }
    for (const auto& node : overFile) {
        file.push_back(node["text"].get<std::string>() + " " + node["tag"].get<std::string>());
    }
    EXPECT_EQ(server, file);
    EXPECT_EQ(overServer.size(), overFile.size() + 2);
}

} // namespace
} // namespace foliant::engine::test

// Wizard automation scripts come from files a person or a program writes. Any script must run
// the wizard to its end or stop with ScriptError (or the wizard's own AutomationError): never
// a crash, a hang or memory misuse in the wizard it drives.
//
// Every input runs on a new report over a small database made once in a temporary folder.
// File dialogs are answered with a name in that folder, and the registry store lies in it too,
// so that no script writes elsewhere.

#include "engine/DataSource.h"
#include "engine/Report.h"
#include "platform/automation/values/AutomationError.h"
#include "script/Script.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* kSchema = R"sql(
CREATE TABLE Customers(CustomerID INTEGER PRIMARY KEY, Name VARCHAR(40), Region TEXT,
                       Since DATE, Credit MONEY, Notes MEMO);
CREATE TABLE Orders(OrderID INTEGER PRIMARY KEY, CustomerID INTEGER, Placed DATETIME,
                    Amount DECIMAL, Shipped BOOLEAN, At TIME);
INSERT INTO Customers VALUES(1, 'Ann', 'North', '1996-12-31', 10.5, 'a'),
                            (2, 'Bob', 'South', '1997-01-02', 20, NULL);
INSERT INTO Orders VALUES(1, 1, '1996-12-31 10:00:00', 5, 1, '10:00:00'),
                         (2, 2, '1997-01-02 11:30:00', 7.25, 0, '11:30:00');
)sql";

// The folder the run works in, and the data source every report is made over.
struct Sandbox {
    fs::path folder;
    std::shared_ptr<foliant::engine::DataSource> data;
};

const Sandbox& TheSandbox() {
    static const Sandbox sandbox = [] {
        Sandbox s;
        s.folder =
            fs::temp_directory_path() / ("foliant-script-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(s.folder);
        const std::string db = (s.folder / "shop.db").string();
        sqlite3* handle = nullptr;
        if (sqlite3_open(db.c_str(), &handle) != SQLITE_OK ||
            sqlite3_exec(handle, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::abort();
        }
        sqlite3_close(handle);
        s.data = foliant::engine::DataSource::OpenSqlite(db);
        // Help and other programs the wizard may start are never started from here, and the
        // settings the wizard remembers go to a registry store in the folder, not the user's.
        ::setenv("FOLIANT_HELP_VIEWER", "/bin/true", 1);
        ::setenv("FOLIANT_REGISTRY_DIR", (s.folder / "registry").c_str(), 1);
        return s;
    }();
    return sandbox;
}

// Discards what dump prints.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace foliant;
    const Sandbox& sandbox = TheSandbox();
    std::vector<script::ScriptLine> lines;
    try {
        lines = script::ParseScript(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const script::ScriptError&) {
        return 0;
    }
    for (auto& line : lines) {
        if (line.command == "file" && !line.args.empty() &&
            (line.quoted.front() || line.args.front() != "cancel")) {
            line.args.front() = (sandbox.folder / "saved.rpt").string();
        }
    }
    NullBuffer discard;
    std::ostream out(&discard);
    try {
        script::RunScript(lines, engine::Report::Create(sandbox.data), out);
    } catch (const script::ScriptError&) {
    } catch (const automation::AutomationError&) {
    }
    return 0;
}

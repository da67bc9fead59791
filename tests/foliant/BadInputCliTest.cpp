// Every command given names that are not what it expects: a named pipe, a device, a folder, an
// empty name, links, a folder that does not exist or cannot be entered or written. Each must
// end at once with a non-zero status and a line that says what the system said, or do the
// sound thing (write into a device, follow a link), never hang, never exit 0 on a failure.
#include "tests/foliant/RunFoliant.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using foliant::cli_test::Outcome;
using foliant::cli_test::Quote;
using foliant::cli_test::RunCaptured;
using foliant::cli_test::Slurp;

const std::string kNestedTooDeeply =
    "the file is nested too deeply (more than 64 levels of arrays and objects)";

// Runs as a user without special rights: checks of permissions do not apply to root.
std::string Unprivileged() {
    return ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
}

class BadInputCli : public foliant::cli_test::FolderTest {
protected:
    BadInputCli() : FolderTest("foliant-bad-input") {}

    void SetUp() override {
        FolderTest::SetUp();
        ASSERT_FALSE(HasFailure());
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        ASSERT_EQ(Foliant("demo --out good.rpt").status, 0);
        ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
        fs::create_directory(dir / "folder");
        fs::create_symlink("loop", dir / "loop");
        std::ofstream(dir / "walk.txt") << "click cmdNext\ndump\n";
        std::ofstream(dir / "bom.txt") << "\xEF\xBB\xBF"
                                       << "click cmdNext\n";
        fs::create_directory(dir / "locked");
        fs::copy_file(dir / "good.rpt", dir / "locked" / "inside.rpt");
        fs::copy_file(dir / "walk.txt", dir / "locked" / "walk.txt");
        fs::permissions(dir / "locked", fs::perms::none);
        fs::create_directory(dir / "readonly");
        fs::create_directory(dir / "shared");
        fs::permissions(dir / "shared", fs::perms::all);
        std::ofstream(dir / "shared" / "target.txt") << "old";
        fs::permissions(dir / "shared" / "target.txt",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::group_write | fs::perms::others_read |
                            fs::perms::others_write);
        fs::create_symlink("../shared/target.txt", dir / "readonly" / "link.txt");
        fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::owner_exec |
                                              fs::perms::others_read | fs::perms::others_exec);
        std::ofstream(dir / "real.txt") << "old";
        fs::create_symlink("real.txt", dir / "link.txt");
        fs::create_symlink("made.txt", dir / "dangling.txt");
        std::ofstream(dir / "deep.rpt")
            << "{\"a\":" << std::string(50000, '[') << std::string(50000, ']') << ",\"b\":1}";
        auto report = nlohmann::json::parse(Slurp(dir / "good.rpt"));
        report["title"] = std::string(100'000, 'x');
        std::ofstream(dir / "huge-title.rpt") << report.dump();
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir / "locked", fs::perms::owner_all, ec);
        fs::permissions(dir / "readonly", fs::perms::owner_all, ec);
        FolderTest::TearDown();
    }

    // foliant with args, run in the test's folder; `prefix` goes before the program. A run
    // that hangs is stopped after a while (status 124).
    Outcome Foliant(const std::string& args, const std::string& prefix = "") {
        return RunCaptured("cd " + Quote(dir.string()) +
                               " && FOLIANT_REGISTRY_DIR=" + Quote((dir / "registry").string()) +
                               " " + prefix + kTimeout + Quote(FOLIANT_EXE) + " " + args,
                           dir);
    }

    static constexpr const char* kTimeout = "timeout 30 ";

    // A character device that discards what is written: /dev/null, or for root a node of the
    // same device in the test's folder.
    std::string NullDevice() const {
        if (::geteuid() != 0) {
            return "/dev/null";
        }
        const std::string node = (dir / "null").string();
        if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
            ADD_FAILURE() << "cannot make a null device in the test's folder";
        }
        return node;
    }
};

struct Row {
    const char* why;
    std::string args;
    int status;
    std::string err; // the whole of stderr; "" when the run succeeds and prints nothing there
    bool unprivileged = false;
};

void RunRows(const std::vector<Row>& rows,
             const std::function<Outcome(const std::string&, const std::string&)>& run) {
    for (const Row& row : rows) {
        const Outcome r = run(row.args, row.unprivileged ? Unprivileged() : "");
        EXPECT_EQ(r.status, row.status) << row.why << ": foliant " << row.args << "\n" << r.err;
        EXPECT_EQ(r.err, row.err.empty() ? "" : "foliant: " + row.err + "\n")
            << row.why << ": foliant " << row.args;
    }
}

TEST_F(BadInputCli, BadReportsEndAtOnceWithTheReason) {
    const std::vector<Row> rows = {
        {"a pipe would block the reader forever", "inspect pipe", 1,
         "cannot read report pipe: it is a named pipe, not a file"},
        {"a device would be read until memory runs out", "inspect /dev/zero", 1,
         "cannot read report /dev/zero: it is a device, not a file"},
        {"a folder", "inspect folder", 1, "cannot read report folder: it is a folder, not a file"},
        {"a link to itself", "inspect loop", 1,
         "cannot read report loop: too many levels of symbolic links"},
        {"a folder that does not exist", "inspect missing/x.rpt", 1,
         "cannot read report missing/x.rpt: the file does not exist"},
        {"a folder the user cannot enter", "inspect locked/inside.rpt", 1,
         "cannot read report locked/inside.rpt: permission denied", true},
        {"export reads the report first", "export pipe --text out.txt", 1,
         "cannot read report pipe: it is a named pipe, not a file"},
        {"edit reads the report before it looks for a display", "edit /dev/zero", 1,
         "cannot read report /dev/zero: it is a device, not a file"},
        {"a script over a report", "script walk.txt --report pipe", 1,
         "cannot read report pipe: it is a named pipe, not a file"},
        {"the preview window's report", "preview folder", 1,
         "cannot read report folder: it is a folder, not a file"},
        {"JSON nested 50,000 deep crashed every report command", "inspect deep.rpt", 1,
         "cannot read report deep.rpt: " + kNestedTooDeeply},
        {"nested too deeply for export", "export deep.rpt --html out.html", 1,
         "cannot read report deep.rpt: " + kNestedTooDeeply},
        {"nested too deeply for a script", "script walk.txt --report deep.rpt", 1,
         "cannot read report deep.rpt: " + kNestedTooDeeply},
        {"a title of one 100,000-character word took minutes", "export huge-title.rpt --text t.txt",
         0, ""},
    };
    RunRows(rows, [this](const std::string& a, const std::string& p) { return Foliant(a, p); });
}

TEST_F(BadInputCli, ScriptsThatCannotBeReadSayWhy) {
    const std::vector<Row> rows = {
        {"a folder ran as an empty script and exited 0", "script folder", 1,
         "cannot read the script folder: it is a folder, not a file"},
        {"a pipe", "script pipe", 1, "cannot read the script pipe: it is a named pipe, not a file"},
        {"a device ended in std::bad_alloc", "script /dev/zero", 1,
         "cannot read the script /dev/zero: it is a device, not a file"},
        {"a missing script", "script none.txt", 1,
         "cannot read the script none.txt: the file does not exist"},
        {"a script the user cannot reach", "script locked/walk.txt", 1,
         "cannot read the script locked/walk.txt: permission denied", true},
        {"a byte-order mark before line 1", "script bom.txt", 0, ""},
        {"a database that is a pipe", "script walk.txt --db pipe", 1,
         "cannot open the database " + (dir / "pipe").string() +
             ": it is a named pipe, not a file"},
        {"demo over a database that is a device", "demo --db /dev/zero", 1,
         "cannot open the database /dev/zero: it is a device, not a file"},
        {"a new report over a database that is a pipe", "new pipe", 1,
         "cannot open the database " + (dir / "pipe").string() +
             ": it is a named pipe, not a file"},
        {"a component library that is a pipe", "register --library pipe", 1,
         "cannot use the component library pipe: it is a named pipe, not a file"},
        {"a component library that is a folder", "unregister --library folder", 1,
         "cannot use the component library folder: it is a folder, not a file"},
    };
    RunRows(rows, [this](const std::string& a, const std::string& p) { return Foliant(a, p); });
}

TEST_F(BadInputCli, ExportsRefuseTargetsTheyCannotWriteAndNeverExitZeroOnFailure) {
    const std::vector<Row> rows = {
        {"an empty name wrote files named -1.png", "export good.rpt --png ''", 1,
         "cannot export good.rpt: --png names no file"},
        {"an empty name", "export good.rpt --pdf ''", 1,
         "cannot export good.rpt: --pdf names no file"},
        {"an empty name", "export good.rpt --html ''", 1,
         "cannot export good.rpt: --html names no file"},
        {"an empty name", "export good.rpt --text ''", 1,
         "cannot export good.rpt: --text names no file"},
        {"a folder", "export good.rpt --text folder", 1,
         "cannot write folder: it is a folder, not a file"},
        {"a name ending in /", "export good.rpt --html folder/", 1,
         "cannot write folder/: the path names a folder, not a file"},
        {"a folder for a PDF", "export good.rpt --pdf folder", 1,
         "cannot write the PDF folder: it is a folder, not a file"},
        {"a folder for the images of many pages wrote folder-1.. beside it",
         "export good.rpt --png folder --dpi 10", 1,
         "cannot write the images folder: it is a folder, not a file"},
        {"a name ending in / for many images wrote -1.. into the folder",
         "export good.rpt --png folder/ --dpi 10", 1,
         "cannot write the images folder/: the path names a folder, not a file"},
        {"a folder that does not exist", "export good.rpt --text missing/out.txt", 1,
         "cannot write missing/out.txt: the folder missing does not exist"},
        {"a link to itself", "export good.rpt --text loop", 1,
         "cannot write loop: too many levels of symbolic links"},
        {"a folder the user cannot write", "export good.rpt --text readonly/out.txt", 1,
         "cannot write readonly/out.txt: cannot create a temporary file in readonly: permission "
         "denied",
         true},
        {"a pipe nobody reads", "export good.rpt --text pipe", 1,
         "cannot write pipe: no program is reading from the pipe"},
        {"demo saving onto a folder", "demo --out folder", 1,
         "cannot save the report to folder: it is a folder, not a file"},
        {"demo with no name", "demo --out ''", 1, "cannot save the report: no file name was given"},
    };
    RunRows(rows, [this](const std::string& a, const std::string& p) { return Foliant(a, p); });
    EXPECT_FALSE(fs::exists(dir / "-1.png"));
    EXPECT_FALSE(fs::exists(dir / "folder-1"));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_FALSE(fs::exists(dir / "readonly" / "out.txt"));
}

TEST_F(BadInputCli, ExportsWriteIntoDevicesAndPipesAndThroughLinks) {
    // A device stays a device, even for root, who could replace it. Root gets a null device of
    // the test's own, so that a faulty export cannot replace the system's.
    const std::string device = NullDevice();
    auto r = Foliant("export good.rpt --text " + device);
    EXPECT_EQ(r.status, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(::stat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << device << " was replaced";
    // The images of many pages all go into the device, not into files named after it.
    r = Foliant("export good.rpt --dpi 10 --png " + device);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(::stat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << device << " was replaced";
    EXPECT_FALSE(fs::exists(device + "-1"));

    // A pipe with a reader gets the whole text.
    r = RunCaptured("cd " + Quote(dir.string()) + " && { timeout 30 cat pipe >piped.txt & " +
                        kTimeout + Quote(FOLIANT_EXE) +
                        " export good.rpt --text pipe; s=$?; wait; exit $s; }",
                    dir);
    EXPECT_EQ(r.status, 0) << r.err;
    r = Foliant("export good.rpt --text text.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir / "piped.txt"), Slurp(dir / "text.txt"));
    EXPECT_FALSE(Slurp(dir / "text.txt").empty());

    // A link keeps pointing where it did; the file it names gets the new content.
    r = Foliant("export good.rpt --html link.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_NE(Slurp(dir / "real.txt").find("<html"), std::string::npos);
    // The file a link names is replaced in its own folder: the link's folder need not be
    // writable, nor the link relative to the folder the command runs in.
    r = Foliant("export good.rpt --text readonly/link.txt", Unprivileged());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "readonly" / "link.txt"));
    EXPECT_TRUE(Slurp(dir / "shared" / "target.txt") == Slurp(dir / "text.txt"))
        << "the file the link names was not replaced";
    // A link to a file not made yet makes that file.
    r = Foliant("export good.rpt --text dangling.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(Slurp(dir / "made.txt"), Slurp(dir / "text.txt"));
}

} // namespace

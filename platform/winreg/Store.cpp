#include "platform/winreg/Store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <pthread.h>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#ifndef FOLIANT_DEFAULT_MACHINE_REGISTRY_DIR
#define FOLIANT_DEFAULT_MACHINE_REGISTRY_DIR "/var/lib/foliant"
#endif

namespace foliant::winreg::detail {

namespace {

constexpr int kStoreFormat = 1;
constexpr const char* kUserFile = "user-registry.db";
constexpr const char* kMachineFile = "machine-registry.db";

LONG CodeOf(int sqliteResult) {
    switch (sqliteResult & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_TOOBIG:
        return ERROR_INVALID_PARAMETER;
    case SQLITE_FULL:
        return 112; // not enough space on the disk
    case SQLITE_IOERR:
        return ERROR_REGISTRY_IO_FAILED;
    default: // corrupt, not a database, foreign schema
        return ERROR_BADDB;
    }
}

[[noreturn]] void Fail(int sqliteResult) {
    throw Failure{CodeOf(sqliteResult)};
}

// Statements in use by a Statement object; the others on a connection are idle and may be
// taken again. Preparing is most of the cost of a registry call, so a connection keeps its
// statements until it is closed (CloseConnection).
std::mutex g_heldMutex;
std::set<sqlite3_stmt*> g_held;

// An idle statement of db prepared from exactly sql, marked as held; nullptr when there is none.
sqlite3_stmt* TakeIdle(sqlite3* db, const char* sql) {
    const std::lock_guard<std::mutex> lock(g_heldMutex);
    for (sqlite3_stmt* p = sqlite3_next_stmt(db, nullptr); p; p = sqlite3_next_stmt(db, p)) {
        const char* text = sqlite3_sql(p);
        if (text && std::strcmp(text, sql) == 0 && g_held.count(p) == 0) {
            g_held.insert(p);
            return p;
        }
    }
    return nullptr;
}

// Finalizes every statement of db, then closes it.
void CloseConnection(sqlite3* db) {
    while (sqlite3_stmt* p = db ? sqlite3_next_stmt(db, nullptr) : nullptr) {
        {
            const std::lock_guard<std::mutex> lock(g_heldMutex);
            g_held.erase(p);
        }
        sqlite3_finalize(p);
    }
    sqlite3_close_v2(db);
}

// A prepared statement of a connection, taken for a scope: reused when the connection has
// one of the same text idle, and left reset and idle on scope exit.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : stmt_(TakeIdle(db, sql)) {
        if (stmt_) {
            return;
        }
        int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            Fail(rc);
        }
        const std::lock_guard<std::mutex> lock(g_heldMutex);
        g_held.insert(stmt_);
    }
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        const std::lock_guard<std::mutex> lock(g_heldMutex);
        g_held.erase(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t v) {
        Check(sqlite3_bind_int64(stmt_, index, v));
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        // Never a null pointer: that would bind NULL, and "" is a name (the default value's).
        Check(sqlite3_bind_text(stmt_, index, text.empty() ? "" : text.data(),
                                static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& BindBlob(int index, const BYTE* data, DWORD size) {
        // A zero-length blob, never NULL: an empty value is still a value.
        static const BYTE none = 0;
        Check(sqlite3_bind_blob(stmt_, index, size ? data : &none, static_cast<int>(size),
                                SQLITE_TRANSIENT));
        return *this;
    }

    // True while a row is available.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc != SQLITE_DONE) {
            Fail(rc);
        }
        return false;
    }
    void Run() {
        while (Step()) {
        }
    }

    std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
    }
    std::vector<BYTE> Blob(int column) {
        const auto* p = static_cast<const BYTE*>(sqlite3_column_blob(stmt_, column));
        return p ? std::vector<BYTE>(p, p + sqlite3_column_bytes(stmt_, column))
                 : std::vector<BYTE>();
    }

private:
    static void Check(int rc) {
        if (rc != SQLITE_OK) {
            Fail(rc);
        }
    }
    sqlite3_stmt* stmt_ = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        Fail(rc);
    }
}

std::uint64_t NowTicks() {
    using namespace std::chrono;
    const auto since1970 =
        duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<std::uint64_t>(since1970 / 100) + 116444736000000000ULL;
}

// Waits for another process's write with short sleeps first, so that two busy writers take
// turns quickly; gives up after about fifteen seconds.
int WaitWhileBusy(void*, int attempts) {
    using namespace std::chrono_literals;
    if (attempts < 20) {
        std::this_thread::sleep_for(100us);
    } else if (attempts < 200) {
        std::this_thread::sleep_for(1ms);
    } else if (attempts < 200 + 2950) {
        std::this_thread::sleep_for(5ms);
    } else {
        return 0;
    }
    return 1;
}

const char* kSchema = R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT, -- never reused: a deleted key stays deleted
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    class TEXT NOT NULL DEFAULT '',
    written INTEGER NOT NULL DEFAULT 0,
    UNIQUE(parent, fold));
CREATE TABLE vals(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, fold));
)sql";

// Makes a fresh or existing store ready: WAL journal, the tables, the scope's roots. A file
// that is some other database, or a store of a newer format, is refused as corrupt.
void Prepare(sqlite3* db) {
    sqlite3_busy_handler(db, WaitWhileBusy, nullptr);
    if (sqlite3_db_readonly(db, "main") == 1) {
        return;
    }
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db, "BEGIN IMMEDIATE");
    try {
        std::int64_t version = 0;
        {
            Statement s(db, "PRAGMA user_version");
            if (s.Step()) {
                version = s.Int(0);
            }
        }
        if (version == 0) {
            Statement tables(db, "SELECT count(*) FROM sqlite_master");
            tables.Step();
            if (tables.Int(0) != 0) {
                throw Failure{ERROR_BADDB};
            }
            Exec(db, kSchema);
            Exec(db, "PRAGMA user_version=1");
        } else if (version != kStoreFormat) {
            throw Failure{ERROR_BADDB};
        }
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
            Statement add(db, "INSERT OR IGNORE INTO keys(parent, name, fold) VALUES(0, ?1, ?1)");
            add.Bind(1, RootName(root)).Run();
        }
        Exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

LONG MakeFolders(const std::string& file) {
    const auto slash = file.find_last_of('/');
    if (slash == std::string::npos || slash == 0) {
        return ERROR_SUCCESS;
    }
    const std::string folder = file.substr(0, slash);
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? ERROR_SUCCESS : ERROR_BAD_PATHNAME;
    }
    if (LONG parent = MakeFolders(folder); parent != ERROR_SUCCESS) {
        return parent;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return (errno == EACCES || errno == EPERM || errno == EROFS) ? ERROR_ACCESS_DENIED
                                                                     : ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

// Open connections by file, kept for the life of the process. A connection is dropped when its
// file was removed or replaced. They are all closed before the process forks, so that a child
// never shares its parent's connections (SQLite's locks would not hold between the two).
class Connections {
public:
    Connections() { ::pthread_atfork(&BeforeFork, &AfterFork, &AfterFork); }
    ~Connections() {
        if (pid_ == ::getpid()) {
            CloseAll();
        }
    }

    std::mutex mutex;

    // The connection to file, opened (and the file created, when create) as needed; nullptr
    // when the file does not exist and create is false.
    sqlite3* Get(const std::string& file, bool create) {
        if (pid_ != ::getpid()) {
            open_.clear(); // the parent's; closing them here would disturb its locks
            pid_ = ::getpid();
        }
        struct stat st {};
        const bool exists = ::stat(file.c_str(), &st) == 0;
        auto it = open_.find(file);
        if (it != open_.end() &&
            (!exists || it->second.device != st.st_dev || it->second.inode != st.st_ino)) {
            CloseConnection(it->second.db);
            open_.erase(it);
            it = open_.end();
        }
        if (it != open_.end()) {
            return it->second.db;
        }
        if (!exists && !create) {
            return nullptr;
        }
        if (!exists) {
            if (LONG rc = MakeFolders(file); rc != ERROR_SUCCESS) {
                throw Failure{rc};
            }
        }
        sqlite3* db = nullptr;
        int rc =
            sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            CloseConnection(db);
            throw Failure{errno == EACCES ? ERROR_ACCESS_DENIED : CodeOf(rc)};
        }
        try {
            Prepare(db);
        } catch (...) {
            CloseConnection(db);
            throw;
        }
        ::stat(file.c_str(), &st);
        open_[file] = Open{db, st.st_dev, st.st_ino};
        return db;
    }

private:
    static void BeforeFork();
    static void AfterFork();

    void CloseAll() {
        for (auto& [file, c] : open_) {
            CloseConnection(c.db);
        }
        open_.clear();
    }

    struct Open {
        sqlite3* db;
        dev_t device;
        ino_t inode;
    };
    std::map<std::string, Open> open_;
    pid_t pid_ = ::getpid();
};

Connections& TheConnections() {
    static Connections connections;
    return connections;
}

// Waits for a call in progress in another thread, then closes everything; both processes
// reopen what they need on their next call.
void Connections::BeforeFork() {
    Connections& c = TheConnections();
    c.mutex.lock();
    c.CloseAll();
}

void Connections::AfterFork() {
    TheConnections().mutex.unlock();
}

LONG RunIn(sqlite3* db, Mode mode, const std::function<LONG(Transaction&)>& body) {
    Exec(db, mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    LONG result = ERROR_SUCCESS;
    try {
        Transaction tx(db);
        result = body(tx);
        if (result == ERROR_SUCCESS) {
            Exec(db, "COMMIT");
            return ERROR_SUCCESS;
        }
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return result;
}

std::string Environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string UserFolder() {
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        std::string home = Environment("HOME");
        if (home.empty()) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
                home = pw->pw_dir;
            }
        }
        config = home + "/.config";
    }
    return config + "/foliant";
}

} // namespace

const char* RootName(HKEY root) {
    switch (root) {
    case HKEY_CLASSES_ROOT:
        return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER:
        return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE:
        return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
        return "HKEY_USERS";
    default:
        return nullptr;
    }
}

std::string StoreFileOf(HKEY root) {
    const bool user = root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER;
    if (!user && root != HKEY_LOCAL_MACHINE && root != HKEY_USERS) {
        return {};
    }
    const char* fileName = user ? kUserFile : kMachineFile;
    if (std::string all = Environment("FOLIANT_REGISTRY_DIR"); !all.empty()) {
        return all + "/" + fileName;
    }
    if (user) {
        return UserFolder() + "/" + fileName;
    }
    std::string machine = Environment("FOLIANT_MACHINE_REGISTRY_DIR");
    if (machine.empty()) {
        machine = FOLIANT_DEFAULT_MACHINE_REGISTRY_DIR;
    }
    return machine + "/" + fileName;
}

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

namespace {

// True while this thread holds the connections' mutex.
thread_local bool t_holdsConnections = false;

// Holds the connections' mutex unless this thread already does: a thread that holds a store
// for a whole transaction (TransactAll) may still call on another store.
class ConnectionsLock {
public:
    explicit ConnectionsLock(Connections& connections) : connections_(connections) {
        if (!t_holdsConnections) {
            connections_.mutex.lock();
            t_holdsConnections = true;
            owns_ = true;
        }
    }
    ~ConnectionsLock() {
        if (owns_) {
            t_holdsConnections = false;
            connections_.mutex.unlock();
        }
    }
    ConnectionsLock(const ConnectionsLock&) = delete;
    ConnectionsLock& operator=(const ConnectionsLock&) = delete;

private:
    Connections& connections_;
    bool owns_ = false;
};

// The transaction a thread holds open over several calls (TransactAll), if any.
struct OpenBatch {
    std::string file;
    sqlite3* db = nullptr;
    bool busy = false; // a call inside met a busy store: the whole batch runs again
};
thread_local OpenBatch* t_batch = nullptr;

// Runs one call inside the thread's open batch: a savepoint, so that a failing call leaves
// the batch as it was before it.
LONG RunInBatch(OpenBatch& batch, const std::function<LONG(Transaction&)>& body) {
    try {
        Exec(batch.db, "SAVEPOINT call");
        LONG result = ERROR_SUCCESS;
        try {
            Transaction tx(batch.db);
            result = body(tx);
        } catch (...) {
            sqlite3_exec(batch.db, "ROLLBACK TO call; RELEASE call", nullptr, nullptr, nullptr);
            throw;
        }
        Exec(batch.db, result == ERROR_SUCCESS ? "RELEASE call" : "ROLLBACK TO call; RELEASE call");
        batch.busy = batch.busy || result == ERROR_BUSY;
        return result;
    } catch (const Failure& failure) {
        batch.busy = batch.busy || failure.code == ERROR_BUSY;
        return failure.code;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG TransactOnce(const std::string& file, Mode mode,
                  const std::function<LONG(Transaction&)>& body) {
    Connections& connections = TheConnections();
    const ConnectionsLock lock(connections);
    try {
        sqlite3* db = connections.Get(file, mode == Mode::Write);
        if (db) {
            return RunIn(db, mode, body);
        }
        // Nothing stored yet: answer as an empty store would, without creating a file.
        sqlite3* empty = nullptr;
        int rc = sqlite3_open_v2(":memory:", &empty, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            CloseConnection(empty);
            return CodeOf(rc);
        }
        LONG result = ERROR_SUCCESS;
        try {
            Prepare(empty);
            result = RunIn(empty, mode, body);
        } catch (...) {
            CloseConnection(empty);
            throw;
        }
        CloseConnection(empty);
        return result;
    } catch (const Failure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// Holds the store in file for the whole of body: one write transaction that every call of
// this thread to that store joins.
LONG BatchOnce(const std::string& file, const std::function<LONG()>& body) {
    Connections& connections = TheConnections();
    const ConnectionsLock lock(connections);
    OpenBatch batch;
    try {
        batch.file = file;
        batch.db = connections.Get(file, true);
        Exec(batch.db, "BEGIN IMMEDIATE");
    } catch (const Failure& failure) {
        return failure.code;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    struct Joined {
        explicit Joined(OpenBatch* b) { t_batch = b; }
        ~Joined() { t_batch = nullptr; }
    };
    LONG result = ERROR_SUCCESS;
    try {
        Joined joined(&batch);
        result = body();
    } catch (...) {
        sqlite3_exec(batch.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (result == ERROR_SUCCESS && !batch.busy) {
        const int rc = sqlite3_exec(batch.db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            return ERROR_SUCCESS;
        }
        result = CodeOf(rc);
    }
    sqlite3_exec(batch.db, "ROLLBACK", nullptr, nullptr, nullptr);
    return batch.busy ? ERROR_BUSY : result;
}

// SQLite answers "busy" without waiting where waiting could deadlock: while two processes
// create the same store at once, or switch it to WAL. The whole of attempt is then tried again
// (it holds no state between attempts) until the store is free or time runs out.
LONG RetryWhileBusy(const std::function<LONG()>& attempt) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(15);
    for (int tries = 1;; ++tries) {
        const LONG rc = attempt();
        if (rc != ERROR_BUSY || steady_clock::now() >= deadline) {
            return rc;
        }
        std::this_thread::sleep_for(milliseconds(std::min(tries, 10)));
    }
}

} // namespace

LONG Transact(const std::string& file, Mode mode, const std::function<LONG(Transaction&)>& body) {
    if (t_batch != nullptr && t_batch->file == file) {
        return RunInBatch(*t_batch, body);
    }
    return RetryWhileBusy([&] { return TransactOnce(file, mode, body); });
}

LONG TransactAll(const std::string& file, const std::function<LONG()>& body) {
    if (t_batch != nullptr && t_batch->file == file) {
        return body();
    }
    return RetryWhileBusy([&] { return BatchOnce(file, body); });
}

KeyId Transaction::Root(std::string_view rootName) {
    Statement s(db_, "SELECT id FROM keys WHERE parent = 0 AND fold = ?1");
    s.Bind(1, rootName);
    if (!s.Step()) {
        throw Failure{ERROR_BADDB};
    }
    return s.Int(0);
}

bool Transaction::KeyAlive(KeyId key) {
    Statement s(db_, "SELECT 1 FROM keys WHERE id = ?1");
    s.Bind(1, key);
    return s.Step();
}

std::optional<KeyId> Transaction::FindChild(KeyId parent, std::string_view name) {
    Statement s(db_, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    s.Bind(1, parent).Bind(2, Fold(name));
    if (s.Step()) {
        return s.Int(0);
    }
    return std::nullopt;
}

KeyId Transaction::AddChild(KeyId parent, std::string_view name, std::string_view className) {
    Statement s(db_, "INSERT INTO keys(parent, name, fold, class, written) VALUES(?1, ?2, ?3, "
                     "?4, ?5)");
    s.Bind(1, parent)
        .Bind(2, name)
        .Bind(3, Fold(name))
        .Bind(4, className)
        .Bind(5, static_cast<std::int64_t>(NowTicks()));
    s.Run();
    return sqlite3_last_insert_rowid(db_);
}

bool Transaction::HasChildren(KeyId key) {
    Statement s(db_, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    s.Bind(1, key);
    return s.Step();
}

void Transaction::RemoveKey(KeyId key) {
    Statement values(db_, "DELETE FROM vals WHERE key = ?1");
    values.Bind(1, key).Run();
    Statement self(db_, "DELETE FROM keys WHERE id = ?1");
    self.Bind(1, key).Run();
}

void Transaction::RemoveTree(KeyId key, bool keepKey) {
    const char* tree = "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys "
                       "JOIN tree ON keys.parent = tree.id) ";
    Statement values(db_, (std::string(tree) + "DELETE FROM vals WHERE key IN tree").c_str());
    values.Bind(1, key).Run();
    Statement keys(db_,
                   (std::string(tree) + "DELETE FROM keys WHERE id IN tree AND id <> ?2").c_str());
    keys.Bind(1, key).Bind(2, keepKey ? key : KeyId{-1}).Run();
    if (keepKey) {
        Touch(key);
    }
}

std::optional<StoredValue> Transaction::FindValue(KeyId key, std::string_view name) {
    Statement s(db_, "SELECT name, type, data FROM vals WHERE key = ?1 AND fold = ?2");
    s.Bind(1, key).Bind(2, Fold(name));
    if (!s.Step()) {
        return std::nullopt;
    }
    return StoredValue{s.Text(0), static_cast<DWORD>(s.Int(1)), s.Blob(2)};
}

void Transaction::PutValue(KeyId key, std::string_view name, DWORD type, const BYTE* data,
                           DWORD size) {
    // An existing value keeps its place (and its name's case) in the enumeration order.
    Statement s(db_, "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                     "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, "
                     "data = excluded.data");
    s.Bind(1, key).Bind(2, name).Bind(3, Fold(name)).Bind(4, std::int64_t{type});
    s.BindBlob(5, data, size);
    s.Run();
    Touch(key);
}

bool Transaction::RemoveValue(KeyId key, std::string_view name) {
    Statement s(db_, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    s.Bind(1, key).Bind(2, Fold(name));
    s.Run();
    if (sqlite3_changes(db_) == 0) {
        return false;
    }
    Touch(key);
    return true;
}

std::optional<std::string> Transaction::NthChildName(KeyId key, DWORD index) {
    Statement s(db_, "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2");
    s.Bind(1, key).Bind(2, std::int64_t{index});
    if (s.Step()) {
        return s.Text(0);
    }
    return std::nullopt;
}

std::optional<StoredValue> Transaction::NthValue(KeyId key, DWORD index) {
    Statement s(db_, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id "
                     "LIMIT 1 OFFSET ?2");
    s.Bind(1, key).Bind(2, std::int64_t{index});
    if (!s.Step()) {
        return std::nullopt;
    }
    return StoredValue{s.Text(0), static_cast<DWORD>(s.Int(1)), s.Blob(2)};
}

KeyInfo Transaction::Info(KeyId key) {
    KeyInfo info;
    {
        Statement s(db_, "SELECT class, written FROM keys WHERE id = ?1");
        s.Bind(1, key);
        if (s.Step()) {
            info.className = s.Text(0);
            info.lastWriteTime = static_cast<std::uint64_t>(s.Int(1));
        }
    }
    {
        Statement s(db_, "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0), "
                         "ifnull(max(length(CAST(class AS BLOB))), 0) FROM keys WHERE parent = ?1");
        s.Bind(1, key);
        s.Step();
        info.subKeys = static_cast<DWORD>(s.Int(0));
        info.maxSubKeyLength = static_cast<DWORD>(s.Int(1));
        info.maxClassLength = static_cast<DWORD>(s.Int(2));
    }
    {
        Statement s(db_, "SELECT count(*), ifnull(max(length(CAST(name AS BLOB))), 0), "
                         "ifnull(max(length(data)), 0) FROM vals WHERE key = ?1");
        s.Bind(1, key);
        s.Step();
        info.values = static_cast<DWORD>(s.Int(0));
        info.maxValueNameLength = static_cast<DWORD>(s.Int(1));
        info.maxValueLength = static_cast<DWORD>(s.Int(2));
    }
    return info;
}

void Transaction::Touch(KeyId key) {
    Statement s(db_, "UPDATE keys SET written = ?2 WHERE id = ?1");
    s.Bind(1, key).Bind(2, static_cast<std::int64_t>(NowTicks()));
    s.Run();
}

} // namespace foliant::winreg::detail

// Builds the sample database from its SQL script: make_sample_db SCRIPT OUTPUT.
// The database is written next to OUTPUT under a temporary name and renamed into place, so an
// interrupted build never leaves a half-made database behind.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_sample_db SCRIPT OUTPUT\n";
        return 2;
    }
    const std::string script = argv[1];
    const std::string output = argv[2];
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::cerr << "make_sample_db: cannot read " << script << "\n";
        return 1;
    }
    std::ostringstream sql;
    sql << in.rdbuf();

    const std::string temp = output + ".building";
    std::remove(temp.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(temp.c_str(), &db) != SQLITE_OK) {
        std::cerr << "make_sample_db: cannot create " << temp << ": " << sqlite3_errmsg(db) << "\n";
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const std::string all = "BEGIN;\n" + sql.str() + "\nCOMMIT;\n";
    if (sqlite3_exec(db, all.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::cerr << "make_sample_db: " << script << ": " << (error ? error : "failed") << "\n";
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(temp.c_str());
        return 1;
    }
    if (sqlite3_close(db) != SQLITE_OK) {
        std::cerr << "make_sample_db: cannot finish " << temp << "\n";
        return 1;
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0) {
        std::cerr << "make_sample_db: cannot rename " << temp << " to " << output << "\n";
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}

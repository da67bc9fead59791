#pragma once

// Reading the string table's source file (a STRINGTABLE block of `id, "text"` lines).
// Used by the resource compiler at build time and by the tests; the library itself only
// ever sees the compiled table.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace foliant::resources {

// One entry of a string table as written in the source: its id, its text with the escapes
// resolved, and the line it stands on (1-based) for messages.
struct RcString {
    int id = 0;
    std::string text;
    int line = 0;
};

// A malformed string table. what() reads "file:line:column: problem".
class RcSyntaxError : public std::runtime_error {
public:
    RcSyntaxError(std::string fileName, int line, int column, const std::string& problem);

    const std::string& FileName() const noexcept { return fileName_; }
    int Line() const noexcept { return line_; }
    int Column() const noexcept { return column_; }

private:
    std::string fileName_;
    int line_;
    int column_;
};

// Parses every STRINGTABLE block of `source` (UTF-8) and returns the entries in the order
// written. Accepted: `//` and `/* */` comments, BEGIN/END or braces around a block, an
// optional comma between id and text. Inside a text, "" is one quote character and \n, \t,
// \\ and \" are a line feed, a tab, a backslash and a quote; every other character, blanks
// included, stands for itself. Throws RcSyntaxError for anything else: an unknown escape, a
// text not closed on its line, a duplicate id, an id outside 1..65535, invalid UTF-8.
std::vector<RcString> ParseStringTable(std::string_view source, const std::string& fileName);

// Writes `text` as a string literal of the table's source format (the inverse of the
// parser's escape rules).
std::string QuoteRcString(std::string_view text);

} // namespace foliant::resources

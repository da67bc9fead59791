#include "apps/foliant/ReportSettings.h"

#include <cctype>
#include <iostream>

namespace foliant::app {

int FailWith(const std::string& description) {
    std::string line = description;
    if (!line.empty() && line.back() == '.') {
        line.pop_back();
    }
    if (!line.empty()) {
        line[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    }
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::cerr << "foliant: " << line << "\n";
    return 1;
}

} // namespace foliant::app

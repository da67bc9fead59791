#pragma once

#include <memory>
#include <string>

class QApplication;

namespace foliant::qt {

// Why no window can be opened on this process's display, or "" when one can. Asks the display
// server itself, so a display that is named but cannot be reached is found out before Qt tries
// it (Qt ends the whole process when its platform fails to start).
std::string DisplayProblem();

// A QApplication made for one run in a program that runs none, torn down with this object:
// the windows it deleted later are deleted first, then the application.
class OwnApplication {
public:
    // Throws std::runtime_error naming the problem when the display cannot be reached.
    OwnApplication();
    ~OwnApplication();
    OwnApplication(const OwnApplication&) = delete;
    OwnApplication& operator=(const OwnApplication&) = delete;

private:
    int argc_ = 1;
    char name_[8] = "Foliant";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

} // namespace foliant::qt

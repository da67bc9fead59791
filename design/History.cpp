#include "design/History.h"

namespace foliant::design {

void History::Push(Edit edit) {
    steps_.resize(done_);
    if (clean_ > static_cast<long>(done_)) {
        clean_ = -1; // the saved state was among the steps just dropped
    }
    steps_.push_back(std::move(edit));
    ++done_;
}

} // namespace foliant::design

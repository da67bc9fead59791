#include "platform/forms/Picture.h"

#include <mutex>

namespace foliant::forms {

namespace {
std::mutex providerMutex;
PictureProvider provider;
} // namespace

void SetPictureProvider(PictureProvider newProvider) {
    std::lock_guard lock(providerMutex);
    provider = std::move(newProvider);
}

std::vector<std::uint8_t> PictureBytes(const Picture& picture) {
    PictureProvider copy;
    {
        std::lock_guard lock(providerMutex);
        copy = provider;
    }
    if (!copy || picture.IsEmpty()) {
        return {};
    }
    return copy(picture);
}

} // namespace foliant::forms

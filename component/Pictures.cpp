#include "component/Wizard.h"

#include "platform/forms/Picture.h"
#include "resources/Resources.h"

namespace foliant::Wizard {

namespace {

std::vector<std::uint8_t> Copy(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

} // namespace

void RegisterResourcePictures() {
    forms::SetPictureProvider([](const forms::Picture& picture) -> std::vector<std::uint8_t> {
        if (picture.id != 0) {
            return resources::HasResPicture(picture.id)
                       ? Copy(resources::LoadResPicture(picture.id))
                       : std::vector<std::uint8_t>{};
        }
        return resources::HasNamedPicture(picture.key)
                   ? Copy(resources::LoadNamedPicture(picture.key))
                   : std::vector<std::uint8_t>{};
    });
}

} // namespace foliant::Wizard

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace foliant::forms {

// A picture as the forms layer knows it: a bitmap resource id (102, 103, ...) or a named image
// (an image list key, an arrow picture). The bytes come from the picture provider the
// application registers; the forms layer never decodes them.
struct Picture {
    int id = 0;
    std::string key;

    static Picture Resource(int id) { return Picture{id, {}}; }
    static Picture Named(std::string key) { return Picture{0, std::move(key)}; }

    bool IsEmpty() const noexcept { return id == 0 && key.empty(); }
    // "102" for a resource, the key for a named picture, "" when empty (used in dumps).
    std::string Describe() const { return id != 0 ? std::to_string(id) : key; }

    friend bool operator==(const Picture&, const Picture&) = default;
};

// Returns the encoded image (PNG or BMP bytes) for a picture, or no bytes when it has none.
using PictureProvider = std::function<std::vector<std::uint8_t>(const Picture&)>;

// The provider is process-wide: the application registers it once at start-up.
void SetPictureProvider(PictureProvider provider);
// The bytes of a picture through the registered provider; empty when there is no provider,
// the picture is empty or the provider does not know it.
std::vector<std::uint8_t> PictureBytes(const Picture& picture);

} // namespace foliant::forms

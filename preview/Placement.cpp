#include "preview/Placement.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <string_view>

namespace foliant::preview {

namespace {

// The least of a window that must lie on one screen for a person to grab it: 100 by 20
// pixels (a piece of its title bar), or the whole window when it is smaller.
constexpr int kReachableWidth = 1500;
constexpr int kReachableHeight = 300;

std::optional<int> ParseWhole(std::string_view part) {
    int value = 0;
    const char* end = part.data() + part.size();
    const auto [stop, error] = std::from_chars(part.data(), end, value);
    if (part.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

long long Overlap(int start, int length, int otherStart, int otherLength) {
    const long long from = std::max<long long>(start, otherStart);
    const long long to = std::min<long long>(static_cast<long long>(start) + length,
                                             static_cast<long long>(otherStart) + otherLength);
    return std::max<long long>(0, to - from);
}

} // namespace

std::optional<forms::Rect> ParseStoredPosition(const std::string& text) {
    std::vector<int> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const auto part = std::string_view(text).substr(
            start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto number = ParseWhole(part);
        if (!number) {
            return std::nullopt;
        }
        numbers.push_back(*number);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (numbers.size() != 4 || numbers[2] <= 0 || numbers[3] <= 0) {
        return std::nullopt;
    }
    return forms::Rect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::string FormatStoredPosition(const forms::Rect& position) {
    return std::to_string(position.left) + "," + std::to_string(position.top) + "," +
           std::to_string(position.width) + "," + std::to_string(position.height);
}

bool IsOnScreen(const forms::Rect& window, const std::vector<forms::Rect>& screens) {
    const long long needWidth = std::min(window.width, kReachableWidth);
    const long long needHeight = std::min(window.height, kReachableHeight);
    return std::any_of(screens.begin(), screens.end(), [&](const forms::Rect& screen) {
        return Overlap(window.left, window.width, screen.left, screen.width) >= needWidth &&
               Overlap(window.top, window.height, screen.top, screen.height) >= needHeight;
    });
}

forms::Rect CentredPosition(int width, int height, const forms::Rect& screen) {
    return {screen.left + (screen.width - width) / 2, screen.top + (screen.height - height) / 3,
            width, height};
}

} // namespace foliant::preview

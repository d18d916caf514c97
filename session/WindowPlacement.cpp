#include "session/WindowPlacement.h"

#include <algorithm>

namespace twinseek {
namespace {

// Wider or taller than this is damage, not a window; it also keeps every
// width and height within an int.
constexpr int64_t kMaxExtent = (int64_t(1) << 24) - 1;

void Put(std::array<uint8_t, kPlacementRecordSize>& record, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) record[offset + i] = uint8_t(value >> (8 * i));
}

uint32_t Get(std::span<const uint8_t> bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= uint32_t(bytes[offset + i]) << (8 * i);
    return value;
}

int64_t Width(const PlacementRect& rect) { return int64_t(rect.right) - rect.left; }
int64_t Height(const PlacementRect& rect) { return int64_t(rect.bottom) - rect.top; }

bool Overlaps(const PlacementRect& a, const PlacementRect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

}  // namespace

std::array<uint8_t, kPlacementRecordSize> EncodePlacement(const WindowPlacement& placement) {
    std::array<uint8_t, kPlacementRecordSize> record{};
    const uint32_t fields[] = {uint32_t(kPlacementRecordSize),
                               placement.flags,
                               placement.showState,
                               uint32_t(placement.minX),
                               uint32_t(placement.minY),
                               uint32_t(placement.maxX),
                               uint32_t(placement.maxY),
                               uint32_t(placement.normal.left),
                               uint32_t(placement.normal.top),
                               uint32_t(placement.normal.right),
                               uint32_t(placement.normal.bottom)};
    for (size_t i = 0; i < std::size(fields); ++i) Put(record, 4 * i, fields[i]);
    return record;
}

std::optional<WindowPlacement> DecodePlacement(std::span<const uint8_t> bytes) {
    if (bytes.size() != kPlacementRecordSize || Get(bytes, 0) != kPlacementRecordSize) return std::nullopt;
    WindowPlacement placement;
    placement.flags = Get(bytes, 4);
    placement.showState = Get(bytes, 8);
    placement.minX = int32_t(Get(bytes, 12));
    placement.minY = int32_t(Get(bytes, 16));
    placement.maxX = int32_t(Get(bytes, 20));
    placement.maxY = int32_t(Get(bytes, 24));
    placement.normal = {int32_t(Get(bytes, 28)), int32_t(Get(bytes, 32)), int32_t(Get(bytes, 36)),
                        int32_t(Get(bytes, 40))};
    return placement;
}

StartState StartStateOf(const WindowPlacement& placement) {
    switch (placement.showState) {
        case kShowMaximized: return StartState::Maximized;
        case kShowMinimized:
        case 6:   // minimise
        case 7:   // shown minimised without activation
        case 11:  // forced minimise
            return (placement.flags & kRestoreToMaximized) ? StartState::Maximized : StartState::Normal;
        default: return StartState::Normal;
    }
}

std::optional<PlacementRect> PlaceOnScreens(const PlacementRect& saved, std::span<const PlacementRect> screens,
                                            const PlacementRect& primaryWorkArea) {
    const int64_t width = Width(saved);
    const int64_t height = Height(saved);
    if (width <= 0 || height <= 0 || width > kMaxExtent || height > kMaxExtent) return std::nullopt;
    if (std::any_of(screens.begin(), screens.end(), [&](const PlacementRect& s) { return Overlaps(saved, s); }))
        return saved;
    const int64_t areaWidth = Width(primaryWorkArea);
    const int64_t areaHeight = Height(primaryWorkArea);
    if (areaWidth <= 0 || areaHeight <= 0) return std::nullopt;
    const int64_t fitWidth = std::min(width, areaWidth);
    const int64_t fitHeight = std::min(height, areaHeight);
    const int64_t left = primaryWorkArea.left + (areaWidth - fitWidth) / 2;
    const int64_t top = primaryWorkArea.top + (areaHeight - fitHeight) / 2;
    return PlacementRect{int32_t(left), int32_t(top), int32_t(left + fitWidth), int32_t(top + fitHeight)};
}

}  // namespace twinseek

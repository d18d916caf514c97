#include "session/WindowPlacement.h"

#include <algorithm>

namespace twinseek {
namespace {

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

// How much of the top edge of a window at left and top, width pixels wide,
// a user can reach on area: 0 when the strip under the edge is not on it.
int64_t ReachableTopEdge(int64_t left, int64_t top, int64_t width, const PlacementRect& area) {
    if (top < area.top || top + kReachableStripHeight > area.bottom) return 0;
    return std::max<int64_t>(0, std::min<int64_t>(left + width, area.right) - std::max<int64_t>(left, area.left));
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

std::optional<PlacementRect> PlaceOnScreens(const PlacementRect& saved, std::span<const PlacementRect> availableAreas,
                                            size_t primary) {
    const int64_t width = Width(saved);
    const int64_t height = Height(saved);
    if (width <= 0 || height <= 0) return std::nullopt;

    // The screen that holds the widest reachable part of the top edge, with
    // the window cut to its size.
    const PlacementRect* home = nullptr;
    int64_t reachable = 0;
    for (const PlacementRect& area : availableAreas) {
        if (Width(area) <= 0 || Height(area) <= 0) continue;
        const int64_t fitWidth = std::min(width, Width(area));
        const int64_t edge = ReachableTopEdge(saved.left, saved.top, fitWidth, area);
        if (edge >= std::min<int64_t>(kReachableStripWidth, fitWidth) && edge > reachable) {
            home = &area;
            reachable = edge;
        }
    }
    if (home) {
        const int64_t fitWidth = std::min(width, Width(*home));
        const int64_t fitHeight = std::min(height, Height(*home));
        return PlacementRect{saved.left, saved.top, int32_t(saved.left + fitWidth), int32_t(saved.top + fitHeight)};
    }

    if (primary >= availableAreas.size()) return std::nullopt;
    const PlacementRect& area = availableAreas[primary];
    const int64_t areaWidth = Width(area);
    const int64_t areaHeight = Height(area);
    if (areaWidth <= 0 || areaHeight <= 0) return std::nullopt;
    const int64_t fitWidth = std::min(width, areaWidth);
    const int64_t fitHeight = std::min(height, areaHeight);
    const int64_t left = area.left + (areaWidth - fitWidth) / 2;
    const int64_t top = area.top + (areaHeight - fitHeight) / 2;
    return PlacementRect{int32_t(left), int32_t(top), int32_t(left + fitWidth), int32_t(top + fitHeight)};
}

}  // namespace twinseek

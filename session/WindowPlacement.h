// The main window's placement as kept between runs: the 44-byte little-endian
// record, and where a saved normal rectangle may be put back on today's screens.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace twinseek {

constexpr size_t kPlacementRecordSize = 44;

// Show states of the record, and the flag that a minimised window returns maximised.
constexpr uint32_t kShowNormal = 1;
constexpr uint32_t kShowMinimized = 2;
constexpr uint32_t kShowMaximized = 3;
constexpr uint32_t kRestoreToMaximized = 0x2;

// A rectangle with exclusive right and bottom edges, in screen pixels.
struct PlacementRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const PlacementRect&, const PlacementRect&) = default;
};

struct WindowPlacement {
    uint32_t flags = 0;
    uint32_t showState = kShowNormal;
    int32_t minX = -1;
    int32_t minY = -1;
    int32_t maxX = -1;
    int32_t maxY = -1;
    PlacementRect normal;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

std::array<uint8_t, kPlacementRecordSize> EncodePlacement(const WindowPlacement& placement);
// Nothing unless bytes are exactly one record whose length field says 44.
std::optional<WindowPlacement> DecodePlacement(std::span<const uint8_t> bytes);

// How the window opens. A window is never started minimised: it opens in the
// state it would return to, so it cannot start out of reach.
enum class StartState { Normal, Maximized };
StartState StartStateOf(const WindowPlacement& placement);

// How much of the window's top edge, where its menu bar is, must lie on one
// screen for the user to reach it: a strip this high, and this wide (or the
// whole width of a narrower window).
constexpr int32_t kReachableStripHeight = 40;
constexpr int32_t kReachableStripWidth = 160;

// The normal rectangle to open at, given each screen's available area (without
// panels and docks) and which of them is the primary one. Its size is cut to
// the available area of the screen it opens on. It stays where it was saved
// when a strip of its top edge lies on a screen's available area; otherwise it
// is centred on the primary screen's. Nothing when the saved rectangle is
// empty or inside out, or when there is no screen to open on.
std::optional<PlacementRect> PlaceOnScreens(const PlacementRect& saved, std::span<const PlacementRect> availableAreas,
                                            size_t primary);

}  // namespace twinseek

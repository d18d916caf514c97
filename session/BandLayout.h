// The layout of the main window's two bars (menu band, tool band) as kept
// between runs: the "ReBar..." numbers, written position by position, and the
// order, widths and row breaks they restore.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

constexpr uint32_t kMenuBandId = 60160;
constexpr uint32_t kToolBandId = 60161;

// Named 32-bit numbers in the user's settings. A value that is missing or is
// not a number reads as nothing.
class SettingsNumbers {
public:
    virtual ~SettingsNumbers() = default;
    virtual std::optional<int64_t> ReadNumber(const std::string& name) const = 0;
    virtual void WriteNumber(const std::string& name, int64_t value) = 0;
};

struct Band {
    uint32_t id = 0;
    int32_t width = 0;         // pixels
    bool breakBefore = false;  // starts a new row
    friend bool operator==(const Band&, const Band&) = default;
};

// A band as restored: widthStored tells that its width came from the settings
// rather than from the window as it is.
struct RestoredBand {
    Band band;
    bool widthStored = false;
    friend bool operator==(const RestoredBand&, const RestoredBand&) = default;
};

// Writes prefix "BandCount", then for each position prefix i "ID", "CX", "BreakLine".
void SaveBandValues(SettingsNumbers& settings, const std::string& prefix, std::span<const Band> bands);

// The bands in the order to apply. For each stored position that names one of
// the bands, that band moves to the position and takes the stored width and row
// break where those are sound. Positions beyond the bands, unknown ids, missing
// or damaged values change nothing; every band keeps its id; the first band
// never starts a new row.
std::vector<RestoredBand> RestoreBandLayout(const SettingsNumbers& settings, const std::string& prefix,
                                            std::span<const Band> current);

// Whether band index ends its row (it is the last, or the next one starts a row).
bool EndsRow(std::span<const RestoredBand> bands, size_t index);

}  // namespace twinseek

#include "session/BandLayout.h"

#include <algorithm>

namespace twinseek {
namespace {

// A width beyond this is damage; it also keeps widths within the int a window uses.
constexpr int64_t kMaxBandWidth = (int64_t(1) << 24) - 1;

std::string PositionName(const std::string& prefix, size_t position, const char* suffix) {
    return prefix + std::to_string(position) + suffix;
}

}  // namespace

void SaveBandValues(SettingsNumbers& settings, const std::string& prefix, std::span<const Band> bands) {
    settings.WriteNumber(prefix + "BandCount", int64_t(bands.size()));
    for (size_t i = 0; i < bands.size(); ++i) {
        settings.WriteNumber(PositionName(prefix, i, "ID"), bands[i].id);
        settings.WriteNumber(PositionName(prefix, i, "CX"), bands[i].width);
        settings.WriteNumber(PositionName(prefix, i, "BreakLine"), bands[i].breakBefore ? 1 : 0);
    }
}

std::vector<RestoredBand> RestoreBandLayout(const SettingsNumbers& settings, const std::string& prefix,
                                            std::span<const Band> current) {
    std::vector<RestoredBand> bands;
    for (const Band& band : current) bands.push_back({band, false});
    const std::optional<int64_t> count = settings.ReadNumber(prefix + "BandCount");
    const size_t positions = count && *count > 0 ? size_t(std::min<int64_t>(*count, int64_t(bands.size()))) : 0;
    for (size_t i = 0; i < positions; ++i) {
        const std::optional<int64_t> id = settings.ReadNumber(PositionName(prefix, i, "ID"));
        const auto found = std::find_if(bands.begin(), bands.end(),
                                        [&](const RestoredBand& b) { return id && *id == int64_t(b.band.id); });
        if (found == bands.end()) continue;
        // Move the band to position i; the bands between shift by one.
        const RestoredBand moving = *found;
        bands.erase(found);
        bands.insert(bands.begin() + i, moving);

        RestoredBand& band = bands[i];
        const std::optional<int64_t> width = settings.ReadNumber(PositionName(prefix, i, "CX"));
        if (width && *width >= 0 && *width <= kMaxBandWidth) {
            band.band.width = int32_t(*width);
            band.widthStored = true;
        }
        const std::optional<int64_t> breakLine = settings.ReadNumber(PositionName(prefix, i, "BreakLine"));
        if (breakLine && (*breakLine == 0 || *breakLine == 1)) band.band.breakBefore = *breakLine == 1;
    }
    if (!bands.empty()) bands.front().band.breakBefore = false;
    return bands;
}

bool EndsRow(std::span<const RestoredBand> bands, size_t index) {
    return index + 1 >= bands.size() || bands[index + 1].band.breakBefore;
}

}  // namespace twinseek

#include "session/ScanWizardFlow.h"

#include "catalog/SizeCategory.h"

#include <algorithm>

namespace twinseek {

namespace {

// Spelling as the program has always shown it.
constexpr std::array<WizardPageText, 5> kPages{{
    {kWelcomePageId, "Disk Scan Wizard", nullptr, nullptr},
    {kFolderPageId, "Driver(s) and/or Folder(s) to Scan Files", "Driver(s) and/or Folder(s) to Scan Files",
     "Check the Driver(s) and/or folder(s) for scan."},
    {kSizePageId, "Select Size(s)", "Wizard will auto closed if you select anyone!",
     "Select Size(s), These files will auto to compare when scan finished."},
    {kScanningPageId, "Scaning Driver(s) and/or Folder(s)...", "Scaning Driver(s) and/or Folder(s)...",
     "Patience, please!"},
    {kCompletingPageId, "Completing the Disk Scan Wizard", nullptr, nullptr},
}};

}  // namespace

const std::array<WizardPageText, 5>& WizardPages() { return kPages; }

const WizardPageText& WizardPageOf(int id) {
    auto page = std::ranges::find(kPages, id, &WizardPageText::id);
    return page != kPages.end() ? *page : kPages.front();
}

int NextWizardPage(int id) {
    auto page = std::ranges::find(kPages, id, &WizardPageText::id);
    if (page == kPages.end() || page + 1 == kPages.end()) return -1;
    return (page + 1)->id;
}

bool WizardBackAllowed(int id) { return id == kFolderPageId || id == kSizePageId; }

void StoreAutoCompare(const SizeTicks& ticks) {
    auto& table = SizeCategories();
    for (size_t box = 0; box < ticks.size(); ++box) table[box + 1].autoCompare = ticks[box] ? 1 : 0;
}

std::vector<uint32_t> AutoCompareCategories() {
    std::vector<uint32_t> ids;
    const auto& table = SizeCategories();
    for (uint32_t id = 1; id <= 7; ++id)
        if (table[id].autoCompare == 1) ids.push_back(id);
    return ids;
}

std::string ScanProgressCount::FoundText(size_t files, uint32_t folders) {
    return "Find " + std::to_string(uint32_t(files)) + " Files in " + std::to_string(folders) + " Folders";
}

bool FinishWhenScanDone() { return !AutoCompareCategories().empty(); }

}  // namespace twinseek

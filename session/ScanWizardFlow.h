// The disk scan wizard without widgets: its pages and their texts, the order
// they follow one another, the welcome page's skip, the scan's progress text,
// the size ticks kept in the size-category table and how the wizard ends.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace twinseek {

// Page ids are the numbers of the pages' dialogs.
constexpr int kWelcomePageId = 107;
constexpr int kFolderPageId = 201;
constexpr int kScanningPageId = 202;
constexpr int kCompletingPageId = 203;
constexpr int kSizePageId = 213;

struct WizardPageText {
    int id;
    const char* caption;         // the window title while the page is shown
    const char* headerTitle;     // null on the welcome and completing pages
    const char* headerSubtitle;  // null on the welcome and completing pages
};

// The five pages in the order the wizard walks them.
const std::array<WizardPageText, 5>& WizardPages();
const WizardPageText& WizardPageOf(int id);
// The page after id, or -1 after the completing page.
int NextWizardPage(int id);
// Whether Back may leave page id: not from the scanning and completing pages,
// nor from the welcome page, which comes first.
bool WizardBackAllowed(int id);

// The texts of the pages' own controls.
inline constexpr char kWizardTitle[] = "Wizard";
inline constexpr char kWelcomeTitle[] = "Welcome to the Disk Scan Wizard";
inline constexpr char kSkipWelcomeText[] = "&Skip this welcome page in the future.";
inline constexpr char kCompletingTitle[] = "Completing the Disk Scan Wizard";
inline constexpr char kSelectFoldersText[] = "Select the folders you want to scan:";
inline constexpr char kSelectAllText[] = "Select all";
inline constexpr char kClearAllText[] = "Clear all";
inline constexpr char kNoRootText[] = "Check Driver or Folder please!";
inline constexpr char kNoRootTitle[] = "Warning";

// What one run of the wizard shares between its pages.
struct ScanWizardData {
    // Whether the welcome page is to be shown; its check box shows the negation.
    bool showWelcome = false;
    // The roots collected on leaving the folder page.
    std::vector<std::string> roots;
};

// The welcome page: seen first, it moves on at once while its box ("skip")
// is ticked, and only on its first activation, so Back still reaches it.
class WelcomeStep {
public:
    explicit WelcomeStep(const ScanWizardData& data) : skipTicked(!data.showWelcome) {}
    // The box's state when the page is made.
    bool SkipTickedAtStart() const { return skipTicked; }
    // True when this activation moves straight on to the folder page.
    bool SkipOnActivation(bool boxTicked) {
        bool first = firstActivation;
        firstActivation = false;
        return first && boxTicked;
    }
    // Next: the welcome page is to be shown exactly when its box is not ticked.
    static void LeaveWithNext(ScanWizardData& data, bool boxTicked) { data.showWelcome = !boxTicked; }

private:
    bool skipTicked;
    bool firstActivation = true;
};

// The size page's seven boxes, "Huge Files" to "Tiny Files", for categories 1 to 7.
using SizeTicks = std::array<bool, 7>;
// Next on the size page: the ticks become the categories' autoCompare.
void StoreAutoCompare(const SizeTicks& ticks);
// The ids of the categories whose autoCompare is set, in id order.
std::vector<uint32_t> AutoCompareCategories();

// The scanning page's counts: every status message with a text counts as one
// folder (the first, "Initialize...", included); files are those of the intake.
class ScanProgressCount {
public:
    void StatusArrived(uint32_t messages) { folderCount += messages; }
    uint32_t Folders() const { return folderCount; }
    static std::string FoundText(size_t files, uint32_t folders);

private:
    uint32_t folderCount = 0;
};

// At the end of the scan: Finish at once when a size is to be compared,
// otherwise Next to the completing page.
bool FinishWhenScanDone();

}  // namespace twinseek

// What the document asks the user and the errors it reports to them: message
// boxes and file dialogs in the desktop program, fixed answers elsewhere.
#pragma once

#include <optional>
#include <string>

namespace twinseek {

class DocumentPrompts {
public:
    enum class Answer { Yes, No, Cancel };

    // A file-dialog filter: what the user reads and the pattern it stands for.
    struct FileFilter {
        const char* description;
        const char* pattern;
    };

    static constexpr char kSaveChangesText[] = "The content in the file has changed.\nDo you want to save the changes?";
    static constexpr char kConfirmTitle[] = "Confirm";
    static constexpr char kErrorTitle[] = "Error";
    static constexpr FileFilter kFileFilters[] = {{"Twinseek Files (*.tws)", "*.tws"}, {"All Files (*.*)", "*"}};
    static constexpr char kDefaultExtension[] = "tws";

    virtual ~DocumentPrompts() = default;

    // Yes, No or Cancel to unsaved changes (a warning with three buttons).
    virtual Answer AskSaveChanges(const char* text, const char* title) = 0;
    // The document file to open, or none when the user cancelled.
    virtual std::optional<std::string> ChooseOpenPath() = 0;
    // The file to save to, starting from proposed (may be empty); none when cancelled.
    virtual std::optional<std::string> ChooseSavePath(const std::string& proposed) = 0;
    // Tells the user why something failed, under the title kErrorTitle.
    virtual void ShowError(const std::string& text) = 0;
};

}  // namespace twinseek

// The document's questions as the desktop asks them: the save question and
// errors in message boxes, the document file chosen in file dialogs.
#pragma once

#include "document/DocumentPrompts.h"

#include <QStringList>

namespace twinseek {

class DialogPrompts final : public DocumentPrompts {
public:
    Answer AskSaveChanges(const char* text, const char* title) override;
    std::optional<std::string> ChooseOpenPath() override;
    std::optional<std::string> ChooseSavePath(const std::string& proposed) override;
    void ShowError(const std::string& text) override;

    // The file dialogs' filters. A file dialog matches the patterns between the
    // parentheses, so the catch-all filter reads "All Files (*)": "*.*" would
    // hide every name without a dot.
    static QStringList NameFilters();
};

}  // namespace twinseek

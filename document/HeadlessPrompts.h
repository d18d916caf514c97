// Prompts for running without a user: unsaved changes are dropped, no file is
// ever chosen, and errors are kept for the front end to print.
#pragma once

#include "document/DocumentPrompts.h"

#include <string>
#include <vector>

namespace twinseek {

class HeadlessPrompts : public DocumentPrompts {
public:
    Answer AskSaveChanges(const char* text, const char* title) override;
    std::optional<std::string> ChooseOpenPath() override;
    std::optional<std::string> ChooseSavePath(const std::string& proposed) override;
    void ShowError(const std::string& text) override;

    // The errors shown since the last call, oldest first.
    std::vector<std::string> TakeErrors();

private:
    std::vector<std::string> errors;
};

}  // namespace twinseek

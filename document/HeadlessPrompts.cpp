#include "document/HeadlessPrompts.h"

#include <utility>

namespace twinseek {

DocumentPrompts::Answer HeadlessPrompts::AskSaveChanges(const char*, const char*) { return Answer::No; }

std::optional<std::string> HeadlessPrompts::ChooseOpenPath() { return std::nullopt; }

std::optional<std::string> HeadlessPrompts::ChooseSavePath(const std::string&) { return std::nullopt; }

void HeadlessPrompts::ShowError(const std::string& text) { errors.push_back(text); }

std::vector<std::string> HeadlessPrompts::TakeErrors() { return std::exchange(errors, {}); }

}  // namespace twinseek

#include "cli/CliSession.h"

namespace twinseek {

CliSession::CliSession()
    : document(prompts, &progress), comparing(finished, document.duplicates, view, progress) {
    document.onFinishedLoaded = [this](FileItem* item, uint32_t elapsedMillis) {
        finished.AddEntry(FinishedEntry{item, elapsedMillis});
    };
    document.onCatalogCleared = [this] {
        comparing.Engine().CancelAll();
        finished.RemoveAll();
    };
}

}  // namespace twinseek

// Keeps the rules Mark Copies last used in the user's settings: the keep rule
// ("MarkCopiesKeep", by its name), the kept folder ("MarkCopiesFolder") and
// the reference folders ("MarkCopiesReferences"), paths as their bytes.
#pragma once

#include "session/MarkRules.h"

class QSettings;

namespace twinseek {

// Missing or unknown values give the defaults: keep the oldest, no folders.
MarkRules LoadMarkRules(QSettings& settings);
void SaveMarkRules(QSettings& settings, const MarkRules& rules);

}  // namespace twinseek

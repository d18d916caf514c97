#include "app/MarkCommands.h"

#include "app/MarkRulesSettings.h"
#include "controls/WaitCursor.h"
#include "views/MarkCopiesDialog.h"
#include "views/ResultView.h"

#include <QSettings>

namespace twinseek {

bool RunMarkCommand(CommandId id, ResultView& results, QWidget* parent) {
    switch (id) {
    case kCommandMarkCopies: {
        QSettings settings("Orvane", "Twinseek");
        MarkCopiesDialog dialog(LoadMarkRules(settings), results.ChosenCategory(), parent);
        if (dialog.exec() != QDialog::Accepted) return true;
        const MarkRules rules = dialog.Rules();
        SaveMarkRules(settings, rules);
        WaitCursor wait;
        results.Model().MarkCopies(rules, dialog.Category());
        return true;
    }
    case kCommandUnmarkAll:
        results.Model().UnmarkAll();
        return true;
    case kCommandInvertMarks: {
        WaitCursor wait;
        results.Model().InvertMarks();
        return true;
    }
    default:
        return false;
    }
}

}  // namespace twinseek

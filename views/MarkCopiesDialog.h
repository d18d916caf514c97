// The Mark Copies dialog: which file of each group stays, the reference
// folders whose files are never ticked, and whether every group or only
// those of the category chosen in the group tree are marked.
#pragma once

#include "session/MarkRules.h"

#include <QDialog>

#include <cstdint>

class QButtonGroup;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace twinseek {

class MarkCopiesDialog : public QDialog {
    Q_OBJECT
public:
    // Starts from rules; category is the one chosen in the group tree, or
    // kAllFilesId, in which case only every group can be chosen.
    MarkCopiesDialog(const MarkRules& rules, uint32_t category, QWidget* parent = nullptr);

    MarkRules Rules() const;
    // The category whose groups are marked; kAllFilesId for every group.
    uint32_t Category() const;

    // A folder chosen with the folder dialog; empty when none was.
    QByteArray ChooseFolder(const char* title);

private:
    void AddReference(const QByteArray& folder);
    void UpdateStates();

    uint32_t category;
    QButtonGroup* keepChoices;
    QLineEdit* keptFolder;
    QListWidget* references;
    QPushButton* removeReference;
    QRadioButton* categoryChoice;
    QPushButton* markButton;
};

}  // namespace twinseek

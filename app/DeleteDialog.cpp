#include "app/DeleteDialog.h"

#include "controls/FileActions.h"
#include "controls/TickList.h"
#include "session/AppSession.h"
#include "session/CommandStates.h"
#include "session/CommandTable.h"
#include "views/DesktopFileTypes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace twinseek {

namespace {

// Steps of the progress bar of a deletion, which shows once it has taken half a second.
constexpr int kProgressSteps = 1000;

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

DeleteDialog::DeleteDialog(AppSession& session, std::vector<FileItem*> files, FileRemover& remover, QWidget* parent)
    : QDialog(parent), session(session), remover(remover), list(std::move(files)) {
    setObjectName("deleteDialog");
    setWindowTitle(Text(list.Caption()));
    setAccessibleName(windowTitle());
    setModal(true);

    model = new TickListModel<DeleteList>(
        list, SharedFileTypeCache(), [](int32_t index) { return SharedDesktopFileTypes().Icon(index); }, this);
    view = new TickList(this);
    view->setObjectName("deleteList");
    view->setAccessibleName(tr("Files to delete"));
    view->setModel(model);
    view->SetColumnWidths(kResultColumns);
    new FileActions(view);

    trashChoice = new QCheckBox(Text(list.TrashChoiceText()), this);
    trashChoice->setObjectName("trashChoice");
    trashChoice->setAccessibleName(trashChoice->text());
    trashChoice->setChecked(false);

    summary = new QLabel(this);
    summary->setObjectName("tickedSummary");
    actionChoice = new QComboBox(this);
    actionChoice->setObjectName("actionChoice");
    actionChoice->setAccessibleName(tr("What Delete does"));
    for (CleanupAction action : DeleteList::kActionChoices) actionChoice->addItem(Text(DeleteList::ActionChoiceText(action)));
    undoNote = new QLabel(this);
    undoNote->setObjectName("undoNote");
    undoNote->setWordWrap(true);
    auto* choices = new QHBoxLayout;
    choices->addWidget(actionChoice);
    choices->addWidget(undoNote, 1);
    connect(actionChoice, &QComboBox::currentIndexChanged, this, [this] {
        trashChoice->setEnabled(RemovesFile(ChosenAction()));
        UpdateSummary();
    });
    connect(trashChoice, &QCheckBox::toggled, this, &DeleteDialog::UpdateSummary);
    connect(model, &QAbstractItemModel::dataChanged, this, &DeleteDialog::UpdateSummary);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &DeleteDialog::UpdateSummary);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(trashChoice);
    buttons->addStretch(1);
    connect(AddButton(*buttons, "selectAllButton", tr("Select all")), &QPushButton::clicked, this,
            [this] { list.SelectAll(); });
    connect(AddButton(*buttons, "clearAllButton", tr("Clear all")), &QPushButton::clicked, this,
            [this] { list.ClearAll(); });
    QPushButton* remove = AddButton(*buttons, "deleteButton", tr("Delete"));
    remove->setDefault(true);
    connect(remove, &QPushButton::clicked, this, &DeleteDialog::DeleteTicked);
    connect(AddButton(*buttons, "closeButton", tr("Close")), &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addWidget(summary);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    resize(760, 420);
    UpdateSummary();
}

CleanupAction DeleteDialog::ChosenAction() const {
    const CleanupAction chosen = DeleteList::kActionChoices[std::max(0, actionChoice->currentIndex())];
    if (!RemovesFile(chosen)) return chosen;
    return trashChoice->isChecked() ? CleanupAction::Trash : CleanupAction::Delete;
}

void DeleteDialog::UpdateSummary() {
    summary->setText(Text(list.TickedSummary()));
    undoNote->setText(Text(DeleteList::UndoNote(ChosenAction())));
}

DeleteDialog::~DeleteDialog() {
    // The list's widget and model go before the list they show.
    delete view;
    delete model;
}

QPushButton* DeleteDialog::AddButton(QHBoxLayout& row, const char* objectName, const QString& text) {
    auto* button = new QPushButton(text, this);
    row.addWidget(button);
    button->setObjectName(objectName);
    button->setAccessibleName(text);
    button->setAutoDefault(false);
    return button;
}

void DeleteDialog::DeleteTicked() {
    // Events run while the files are checked: no second Delete may start on
    // records the first one is freeing, and nothing else of the dialog is pressed.
    if (deleting) return;
    const QList<QWidget*> parts = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* part : parts) part->setEnabled(false);
    deleting = true;
    QProgressDialog progress(QString(), tr("Cancel"), 0, kProgressSteps, this);
    progress.setObjectName("deleteProgress");
    progress.setAccessibleName(tr("Deleting files"));
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setValue(0);

    DeletionHooks hooks;
    hooks.removeLastCopies = [this](size_t groups, const std::vector<std::string>& someFiles) {
        QMessageBox question(QMessageBox::Warning, kNotifyTitle, Text(LastCopiesQuestion(groups, someFiles)),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        question.setObjectName("lastCopiesQuestion");
        question.setAccessibleName(kNotifyTitle);
        return question.exec() == QMessageBox::Yes;
    };
    hooks.keepGoing = [&](size_t filesDone, size_t files, uint64_t bytesDone, uint64_t bytes) {
        progress.setLabelText(Text(DeleteList::ProgressText(filesDone, files)));
        // Bytes read and files done count alike, so that empty files move it too.
        const double share = (double(bytesDone) + double(filesDone)) / (double(bytes) + double(files));
        progress.setValue(int(share * (kProgressSteps - 1)));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    DeletionReport report = list.DeleteTicked(session, remover, ChosenAction(), journal, hooks);
    progress.reset();
    progress.hide();
    deleting = false;
    for (QWidget* part : parts) part->setEnabled(true);

    if (report.refused) {
        QMessageBox refusal(QMessageBox::Information, kNotifyTitle, kRefusedWhileComparingText, QMessageBox::Ok, this);
        refusal.setObjectName("refusalMessage");
        refusal.setAccessibleName(kNotifyTitle);
        refusal.exec();
    } else if (!report.failures.empty()) {
        QMessageBox warning(QMessageBox::Warning, kDeletionWarningTitle, Text(DescribeFailures(report.failures)),
                            QMessageBox::Ok, this);
        warning.setObjectName("deletionWarning");
        warning.setAccessibleName(kDeletionWarningTitle);
        warning.exec();
    }
    // Space and Enter reach the list again, as before Delete was pressed.
    view->setFocus(Qt::OtherFocusReason);
}

}  // namespace twinseek

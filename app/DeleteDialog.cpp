#include "app/DeleteDialog.h"

#include "controls/TickList.h"
#include "session/AppSession.h"
#include "session/CommandStates.h"
#include "session/CommandTable.h"
#include "views/DesktopFileTypes.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace twinseek {

namespace {

// From this many files on, a deletion that takes a while shows its progress.
constexpr size_t kProgressFromFiles = 10;

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

    trashChoice = new QCheckBox(Text(list.TrashChoiceText()), this);
    trashChoice->setObjectName("trashChoice");
    trashChoice->setAccessibleName(trashChoice->text());
    trashChoice->setChecked(false);

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
    layout->addLayout(buttons);
    resize(760, 380);
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
    // Events run between files: no second Delete may start on records the
    // first one is freeing, and nothing else of the dialog is pressed.
    if (deleting) return;
    const QList<QWidget*> parts = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* part : parts) part->setEnabled(false);
    deleting = true;
    const size_t ticked = list.TickedCount();
    std::unique_ptr<QProgressDialog> progress;
    if (ticked >= kProgressFromFiles) {
        progress = std::make_unique<QProgressDialog>(QString(), tr("Cancel"), 0, int(ticked), this);
        progress->setObjectName("deleteProgress");
        progress->setAccessibleName(tr("Deleting files"));
        progress->setWindowTitle(windowTitle());
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    DeletionProgress keepGoing = [&](size_t done, size_t total) {
        if (!progress) return true;
        progress->setLabelText(Text(DeleteList::ProgressText(done, total)));
        progress->setValue(int(done));  // lets the Cancel button be pressed
        return !progress->wasCanceled();
    };
    const RemovalMode mode = trashChoice->isChecked() ? RemovalMode::ToTrash : RemovalMode::Permanently;
    DeletionReport report = list.DeleteTicked(session, remover, mode, keepGoing);
    progress.reset();
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
}

}  // namespace twinseek

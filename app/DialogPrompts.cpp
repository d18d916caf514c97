#include "app/DialogPrompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace twinseek {

namespace {

// Runs the document file dialog; the chosen file as the core names it.
std::optional<std::string> RunFileDialog(QFileDialog::AcceptMode mode, const QString& title, const QString& proposed) {
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setObjectName(mode == QFileDialog::AcceptOpen ? "openDialog" : "saveDialog");
    dialog.setAccessibleName(title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(DialogPrompts::NameFilters());
    dialog.setDefaultSuffix(DocumentPrompts::kDefaultExtension);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace

QStringList DialogPrompts::NameFilters() {
    QStringList filters;
    for (const FileFilter& filter : kFileFilters) {
        QString description = QString::fromUtf8(filter.description);
        if (int open = description.lastIndexOf(" ("); open >= 0) description.truncate(open);
        filters << QString("%1 (%2)").arg(description, QString::fromUtf8(filter.pattern));
    }
    return filters;
}

DocumentPrompts::Answer DialogPrompts::AskSaveChanges(const char* text, const char* title) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(title), QString::fromUtf8(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setObjectName("saveQuestion");
    box.setAccessibleName(QString::fromUtf8(title));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<std::string> DialogPrompts::ChooseOpenPath() {
    return RunFileDialog(QFileDialog::AcceptOpen, "Open", {});
}

std::optional<std::string> DialogPrompts::ChooseSavePath(const std::string& proposed) {
    return RunFileDialog(QFileDialog::AcceptSave, "Save As", QFile::decodeName(proposed.c_str()));
}

void DialogPrompts::ShowError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, kErrorTitle, QString::fromUtf8(text), QMessageBox::Ok);
    box.setObjectName("errorMessage");
    box.setAccessibleName(kErrorTitle);
    box.exec();
}

}  // namespace twinseek

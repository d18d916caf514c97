#include "views/MarkCopiesDialog.h"

#include "catalog/SizeCategory.h"
#include "session/MarkCopiesForm.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace twinseek {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// What a screen reader says for a label with a mnemonic.
QString Spoken(const QString& text) { return QString(text).remove('&'); }

template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName) {
    widget->setObjectName(objectName);
    widget->setAccessibleName(Spoken(accessibleName));
    return widget;
}

// "keepNewest" for the rule named "newest".
QString ChoiceName(KeepRule rule) {
    QString name = Text(KeepRuleName(rule));
    name[0] = name[0].toUpper();
    return "keep" + name;
}

}  // namespace

MarkCopiesDialog::MarkCopiesDialog(const MarkRules& rules, uint32_t category, QWidget* parent)
    : QDialog(parent), category(category) {
    setObjectName("markCopiesDialog");
    setWindowTitle(Text(kMarkCopiesTitle));
    setAccessibleName(windowTitle());

    auto* keepBox = Named(new QGroupBox(Text(kKeepHeading), this), "keepBox", Text(kKeepHeading));
    auto* keepLayout = new QGridLayout(keepBox);
    keepChoices = new QButtonGroup(this);
    for (const KeepChoice& choice : KeepChoices()) {
        auto* button = new QRadioButton(Text(choice.label), keepBox);
        button->setObjectName(ChoiceName(choice.rule));
        button->setAccessibleName(Spoken(button->text()));
        keepChoices->addButton(button, int(choice.rule));
        keepLayout->addWidget(button, keepLayout->rowCount(), 0, 1, choice.rule == KeepRule::InFolder ? 1 : 3);
    }
    const int folderRow = keepLayout->rowCount() - 1;
    keptFolder = Named(new QLineEdit(QFile::decodeName(QByteArray::fromStdString(rules.keepFolder)), keepBox),
                       "keptFolderEdit", tr("Folder whose file stays"));
    keptFolder->setMinimumWidth(260);
    auto* browse = Named(new QPushButton(Text(kBrowseText), keepBox), "browseButton", Text(kBrowseText));
    keepLayout->addWidget(keptFolder, folderRow, 1);
    keepLayout->addWidget(browse, folderRow, 2);
    keepChoices->button(int(rules.keep))->setChecked(true);

    auto* referenceBox =
        Named(new QGroupBox(Text(kReferenceHeading), this), "referenceBox", Text(kReferenceHeading));
    auto* referenceLayout = new QGridLayout(referenceBox);
    references = Named(new QListWidget(referenceBox), "referenceList", tr("Reference folders"));
    references->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* add = Named(new QPushButton(Text(kAddReferenceText), referenceBox), "addReferenceButton",
                      Text(kAddReferenceText));
    removeReference = Named(new QPushButton(Text(kRemoveReferenceText), referenceBox), "removeReferenceButton",
                            Text(kRemoveReferenceText));
    referenceLayout->addWidget(references, 0, 0, 3, 1);
    referenceLayout->addWidget(add, 0, 1);
    referenceLayout->addWidget(removeReference, 1, 1);
    referenceLayout->setRowStretch(2, 1);

    auto* scopeBox = Named(new QGroupBox(Text(kScopeHeading), this), "scopeBox", Text(kScopeHeading));
    auto* scopeLayout = new QHBoxLayout(scopeBox);
    const QString all = Text(ScopeText(kAllFilesId));
    auto* allChoice = Named(new QRadioButton(all, scopeBox), "allGroupsChoice", all);
    const QString only = Text(ScopeText(category));
    categoryChoice = Named(new QRadioButton(only, scopeBox), "categoryChoice", only);
    allChoice->setChecked(true);
    categoryChoice->setVisible(category >= 1 && category < kAllFilesId);
    scopeLayout->addWidget(allChoice);
    scopeLayout->addWidget(categoryChoice);
    scopeLayout->addStretch(1);

    auto* buttons = Named(new QDialogButtonBox(this), "markButtons", tr("Buttons"));
    markButton = buttons->addButton(Text(kMarkButtonText), QDialogButtonBox::AcceptRole);
    Named(markButton, "markButton", Text(kMarkButtonText));
    Named(buttons->addButton(QDialogButtonBox::Cancel), "cancelButton", tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keepBox);
    layout->addWidget(referenceBox, 1);
    layout->addWidget(scopeBox);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QByteArray folder = ChooseFolder(kChooseKeptFolderTitle);
        if (folder.isEmpty()) return;
        keptFolder->setText(QFile::decodeName(folder));
        keepChoices->button(int(KeepRule::InFolder))->setChecked(true);
    });
    connect(keptFolder, &QLineEdit::textEdited, this,
            [this] { keepChoices->button(int(KeepRule::InFolder))->setChecked(true); });
    connect(add, &QPushButton::clicked, this, [this] { AddReference(ChooseFolder(kChooseReferenceTitle)); });
    connect(removeReference, &QPushButton::clicked, this, [this] {
        qDeleteAll(references->selectedItems());
        UpdateStates();
    });
    connect(references, &QListWidget::itemSelectionChanged, this, &MarkCopiesDialog::UpdateStates);
    connect(keepChoices, &QButtonGroup::idToggled, this, &MarkCopiesDialog::UpdateStates);
    connect(keptFolder, &QLineEdit::textChanged, this, &MarkCopiesDialog::UpdateStates);
    for (const std::string& folder : rules.referenceFolders) AddReference(QByteArray::fromStdString(folder));
    UpdateStates();
}

MarkRules MarkCopiesDialog::Rules() const {
    MarkRules rules;
    rules.keep = KeepRule(keepChoices->checkedId());
    rules.keepFolder = QFile::encodeName(keptFolder->text()).toStdString();
    for (int row = 0; row < references->count(); ++row)
        rules.referenceFolders.push_back(references->item(row)->data(Qt::UserRole).toByteArray().toStdString());
    return rules;
}

uint32_t MarkCopiesDialog::Category() const { return categoryChoice->isChecked() ? category : kAllFilesId; }

QByteArray MarkCopiesDialog::ChooseFolder(const char* title) {
    QFileDialog chooser(this, Text(title));
    chooser.setObjectName("folderChooser");
    chooser.setAccessibleName(chooser.windowTitle());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(chooser.selectedFiles().constFirst());
}

void MarkCopiesDialog::AddReference(const QByteArray& folder) {
    if (folder.isEmpty()) return;
    for (int row = 0; row < references->count(); ++row)
        if (references->item(row)->data(Qt::UserRole).toByteArray() == folder) return;
    auto* item = new QListWidgetItem(QFile::decodeName(folder), references);
    // The bytes stay exact for a name that is not UTF-8.
    item->setData(Qt::UserRole, folder);
    UpdateStates();
}

void MarkCopiesDialog::UpdateStates() {
    removeReference->setEnabled(!references->selectedItems().isEmpty());
    markButton->setEnabled(CanMark(Rules()));
}

}  // namespace twinseek

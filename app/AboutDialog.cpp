#include "app/AboutDialog.h"

#include "app/Icons.h"
#include "session/CommandTable.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace twinseek {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle("About Twinseek");
    setAccessibleName(windowTitle());

    auto* icon = new QLabel(this);
    icon->setObjectName("aboutIcon");
    icon->setAccessibleName("Program icon");
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* version = new QLabel(kAboutVersionText, this);
    version->setObjectName("aboutVersion");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("aboutButtons");
    buttons->setAccessibleName("About buttons");
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName("aboutOk");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(version, 1, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace twinseek

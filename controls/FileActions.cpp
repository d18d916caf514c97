#include "controls/FileActions.h"

#include "session/FileCommandTexts.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>

namespace twinseek {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QAction* AddAction(QMenu& menu, const char* objectName, const char* text) {
    QAction* action = menu.addAction(Text(text));
    action->setObjectName(objectName);
    return action;
}

}  // namespace

FileActions::FileActions(QAbstractItemView* view)
    : QObject(view), view(view), open([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName("fileActions");
    menu = new QMenu(view);
    menu->setObjectName("fileMenu");
    menu->setAccessibleName(tr("File commands"));
    openFile = AddAction(*menu, "actionOpenFile", kOpenFileText);
    openFolder = AddAction(*menu, "actionOpenContainingFolder", kOpenFolderText);
    copyPath = AddAction(*menu, "actionCopyPath", kCopyPathText);
    connect(openFile, &QAction::triggered, this, [this] { OpenFile(clicked); });
    connect(openFolder, &QAction::triggered, this, [this] { OpenFolder(clicked); });
    connect(copyPath, &QAction::triggered, this, [this] { CopyPaths(clicked); });

    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &FileActions::ShowMenu);
    // A double click on a tick box is two clicks on the box, not a wish to open.
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!(index.flags() & Qt::ItemIsUserCheckable)) OpenFile(index);
    });
}

void FileActions::SetMoreCommands(QList<QAction*> commands) {
    for (QAction* command : moreCommands) menu->removeAction(command);
    moreCommands = std::move(commands);
    if (moreCommands.isEmpty()) return;
    if (menu->actions().size() == 3) menu->addSeparator()->setObjectName("fileMenuSeparator");
    menu->addActions(moreCommands);
}

void FileActions::ShowMenu(const QPoint& position) {
    clicked = view->indexAt(position);
    for (QAction* action : {openFile, openFolder, copyPath}) action->setEnabled(clicked.isValid());
    menu->popup(view->viewport()->mapToGlobal(position));
}

void FileActions::OpenFile(const QModelIndex& index) {
    if (index.isValid()) Open(index.siblingAtColumn(0).data(kFilePathRole).toByteArray());
}

void FileActions::OpenFolder(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QByteArray path = index.siblingAtColumn(0).data(kFilePathRole).toByteArray();
    const qsizetype slash = path.lastIndexOf('/');
    if (slash >= 0) Open(slash == 0 ? QByteArray("/") : path.left(slash));
}

void FileActions::CopyPaths(const QModelIndex& index) {
    if (!index.isValid()) return;
    QList<int> rows{index.row()};
    const QItemSelectionModel* selection = view->selectionModel();
    if (selection && selection->isRowSelected(index.row(), index.parent())) {
        rows.clear();
        for (const QModelIndex& selected : selection->selectedRows()) rows.append(selected.row());
        std::sort(rows.begin(), rows.end());
    }
    QStringList paths;
    for (int row : rows)
        paths << QFile::decodeName(index.model()->index(row, 0, index.parent()).data(kFilePathRole).toByteArray());
    QGuiApplication::clipboard()->setText(paths.join('\n'));
}

void FileActions::Open(const QByteArray& path) {
    if (path.isEmpty() || open(QUrl::fromLocalFile(QFile::decodeName(path)))) return;
    QMessageBox failure(QMessageBox::Critical, Text(kOpenFailedTitle), Text(OpenFailedText(path.toStdString())),
                        QMessageBox::Ok, view);
    failure.setObjectName("openFailedMessage");
    failure.setAccessibleName(failure.windowTitle());
    failure.exec();
}

}  // namespace twinseek

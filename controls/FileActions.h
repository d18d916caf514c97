// The context menu of a list of files (Open, Open Containing Folder, Copy
// Path, then the owner's own commands) and the double click that opens a
// file, both through the desktop's own handlers.
#pragma once

#include <QList>
#include <QObject>
#include <QPersistentModelIndex>

#include <functional>

class QAbstractItemView;
class QAction;
class QMenu;
class QUrl;

namespace twinseek {

// The role under which a list's model gives a row's full path, as bytes.
inline constexpr int kFilePathRole = Qt::UserRole + 1;

class FileActions : public QObject {
    Q_OBJECT
public:
    // Serves view (owned by it) whose model gives kFilePathRole.
    explicit FileActions(QAbstractItemView* view);

    // Commands offered below the file commands, after a separator.
    void SetMoreCommands(QList<QAction*> commands);
    // How a file or folder is opened; the desktop's handler unless set.
    void SetOpener(std::function<bool(const QUrl&)> opener) { open = std::move(opener); }

    // The menu, as last shown; the row it serves is the one clicked.
    QMenu* Menu() const { return menu; }
    // Shows the menu for the row at a point of the view's viewport.
    void ShowMenu(const QPoint& position);

    // The file of the row at index; its folder; the paths of the selected
    // rows if index is one of them, else of index alone, a line each.
    void OpenFile(const QModelIndex& index);
    void OpenFolder(const QModelIndex& index);
    void CopyPaths(const QModelIndex& index);

private:
    void Open(const QByteArray& path);

    QAbstractItemView* view;
    QMenu* menu;
    QAction* openFile;
    QAction* openFolder;
    QAction* copyPath;
    QList<QAction*> moreCommands;
    QPersistentModelIndex clicked;
    std::function<bool(const QUrl&)> open;
};

}  // namespace twinseek

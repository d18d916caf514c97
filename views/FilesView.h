// The files view: the size-category tree and the candidate file list above,
// the Comparing and Finished lists on tabs below.
#pragma once

#include "catalog/FileItem.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QSplitter;
class QMenu;

namespace twinseek {

class AppSession;
class FileItem;
class ProgressIndicator;

class FilesView : public QWidget {
    Q_OBJECT
public:
    FilesView(AppSession& session, ProgressIndicator& progress, QWidget* parent = nullptr);
    ~FilesView() override;

    // Rows of the file list and their files, in display order.
    int FileListRowCount() const;
    std::vector<FileItem*> FileListFiles() const;
    // The identity of the file list, under which the compare engine stores row colours.
    ListId FileListId() const;
    // Rebuilds the category tree and the file list from the document.
    void Rebuild();
    // Repaints the lists whose RepaintList bits are set.
    void Repaint(uint32_t lists);
    // Upper/lower and left/right divisions, in pixels.
    void SetSplitterPositions(int horizontal, int vertical);
    // The menu a right click in the category tree opens.
    void SetContextMenu(QMenu* menu) { contextMenu = menu; }

private:
    AppSession& session;
    ProgressIndicator& progress;
    QSplitter* horizontalSplitter;
    QSplitter* verticalSplitter;
    QMenu* contextMenu = nullptr;
};

}  // namespace twinseek

#include "views/FilesView.h"

#include "session/AppSession.h"

#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace twinseek {

FilesView::FilesView(AppSession& session, ProgressIndicator& progress, QWidget* parent)
    : QWidget(parent), session(session), progress(progress) {
    setObjectName("filesView");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    horizontalSplitter = new QSplitter(Qt::Vertical, this);
    verticalSplitter = new QSplitter(Qt::Horizontal, horizontalSplitter);
    auto* tree = new QTreeView(verticalSplitter);
    tree->setObjectName("categoryTree");
    auto* list = new QTableView(verticalSplitter);
    list->setObjectName("fileList");
    auto* tabs = new QTabWidget(horizontalSplitter);
    tabs->setObjectName("compareTabs");
    layout->addWidget(horizontalSplitter);
}

FilesView::~FilesView() = default;

int FilesView::FileListRowCount() const { return 0; }

std::vector<FileItem*> FilesView::FileListFiles() const { return {}; }

ListId FilesView::FileListId() const { return this; }

void FilesView::Rebuild() {}

void FilesView::Repaint(uint32_t) {}

void FilesView::SetSplitterPositions(int horizontal, int vertical) {
    horizontalSplitter->setSizes({horizontal, std::max(0, horizontalSplitter->height() - horizontal)});
    verticalSplitter->setSizes({vertical, std::max(0, verticalSplitter->width() - vertical)});
}

}  // namespace twinseek

#include "views/ResultView.h"

#include "session/AppSession.h"

#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace twinseek {

ResultView::ResultView(AppSession& session, QWidget* parent) : QWidget(parent), session(session) {
    setObjectName("resultView");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter = new QSplitter(Qt::Horizontal, this);
    (new QTreeView(splitter))->setObjectName("groupTree");
    (new QTableView(splitter))->setObjectName("resultList");
    layout->addWidget(splitter);
}

ResultView::~ResultView() = default;

int ResultView::TickedCount() const { return 0; }

void ResultView::SetSplitterPosition(int vertical) {
    splitter->setSizes({vertical, std::max(0, splitter->width() - vertical)});
}

}  // namespace twinseek

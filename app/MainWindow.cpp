#include "app/MainWindow.h"

#include "views/FilesView.h"
#include "views/ResultView.h"

#include <QStackedWidget>

namespace twinseek {

MainWindow::MainWindow() : session(prompts, progress, *this) {
    setObjectName("mainWindow");
    setWindowTitle("Twinseek");
    client = new QStackedWidget(this);
    resultView = new ResultView(session, client);
    filesView = new FilesView(session, progress, client);
    client->addWidget(filesView);
    client->addWidget(resultView);
    setCentralWidget(client);
}

// The views observe the session's document and lists: they go before it does.
MainWindow::~MainWindow() { delete client; }

ListId MainWindow::FileListId() const { return filesView->FileListId(); }

void MainWindow::Repaint(uint32_t lists) { filesView->Repaint(lists); }

void MainWindow::ShowInGroup(FileItem*, size_t) {}

}  // namespace twinseek

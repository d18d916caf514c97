// A session with its files view wired as the main window wires them, and
// documents of real files in a temporary folder for it to open.
#pragma once

#include "catalog/FolderItem.h"
#include "compare/CompareView.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/compare/CompareTestSupport.h"
#include "views/FilesView.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemModelTester>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace twinseek::testing {

class FilesViewHarness final : public CompareView {
public:
    FilesViewHarness() {
        view->resize(900, 600);
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{
                 &view->CategoryTree(), &view->FileListItems(), &view->ComparingItems(), &view->FinishedItems()})
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    }
    ListId FileListId() const override { return view->FileListId(); }
    void Repaint(uint32_t lists) override { view->Repaint(lists); }
    void ShowInGroup(FileItem*, size_t) override {}

    HeadlessPrompts prompts;
    RecordingProgress progress;
    AppSession session{prompts, progress, *this};
    std::unique_ptr<FilesView> view = std::make_unique<FilesView>(session, progress);
};

struct DocumentFile {
    std::string name;
    std::string content;
    int32_t state = NotCompared;
};

// Writes the files under dir and a document that catalogues them at path.
inline void StoreDocument(const TemporaryTree& dir, const std::string& path, const std::vector<DocumentFile>& files) {
    HeadlessPrompts prompts;
    Document document(prompts);
    FolderItem* folder = document.root->FindOrCreateFolder(EntryNamed("/", 0, FILE_ATTRIBUTE_DIRECTORY));
    folder->compareState = NotCompared;
    for (const auto& piece : std::filesystem::path(dir.Root()).relative_path()) {
        folder = folder->FindOrCreateFolder(EntryNamed(piece.string(), 0, FILE_ATTRIBUTE_DIRECTORY));
        folder->compareState = NotCompared;
    }
    for (const DocumentFile& file : files) {
        WriteBytes(dir.Path(file.name), file.content);
        FileItem* item = AddFile(folder, file.name, file.content.size());
        struct stat status {};
        if (stat(dir.Path(file.name).c_str(), &status) == 0)
            item->findData.ftLastWriteTime = FileTime::FromUnix(status.st_mtim.tv_sec, uint32_t(status.st_mtim.tv_nsec));
        if (file.state == Finished) item->SetDigestText(DigestTextOf(file.content));
        item->compareState = file.state;
        document.catalog.Insert(item->Size(), item);
    }
    document.path = path;
    document.modified = true;
    ASSERT_TRUE(document.Store()) << prompts.TakeErrors().front();
}

}  // namespace twinseek::testing

// The folder tree and the scan wizard, offscreen: expanding a folder of
// 100,000 entries in the tree view, and the wizard's scan of a tree from Next
// on the size page to the completing page (against twinseek-cli scan
// --compare none of the same tree, timed outside). Prints its figures.
//
//   ScanWizardGuiBench [TREE]   TREE defaults to /tmp/twsbench/mixed
#include "app/ScanWizard.h"
#include "controls/CheckFolderTree.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "views/FolderTreeItemModel.h"

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace twinseek {
namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

struct FixedDrives : DriveSource {
    std::vector<std::string> drives;
    std::vector<std::string> Drives() const override { return drives; }
};

// A folder of entries files (a tenth of them folders), made once and kept.
std::string WideFolder(int entries) {
    const std::string path = std::filesystem::temp_directory_path().string() + "/twinseek-wide-" + std::to_string(entries);
    if (std::filesystem::exists(path + "/done")) return path;
    std::filesystem::create_directories(path);
    for (int i = 0; i < entries; ++i) {
        const std::string name = path + "/entry" + std::to_string(i);
        if (i % 10 == 0)
            std::filesystem::create_directory(name);
        else
            std::ofstream(name + ".txt");
    }
    std::ofstream(path + "/done");
    return path;
}

bool ExpandWide() {
    const std::string parent = WideFolder(100000);
    FileSystemListing listing;
    FixedDrives drives;
    drives.drives = {parent};
    CheckFolderTree tree(listing, drives);
    tree.resize(400, 600);
    tree.show();
    QApplication::processEvents();
    const QModelIndex top = tree.model()->index(0, 0);
    auto start = Clock::now();
    tree.expand(top);
    QApplication::processEvents();
    const double expand = Milliseconds(start);
    start = Clock::now();
    tree.model()->setData(top, Qt::Checked, Qt::CheckStateRole);
    QApplication::processEvents();
    const double tick = Milliseconds(start);
    std::printf("expand a folder of %d entries: %.0f ms (%d rows); tick it with every child: %.0f ms\n", 100000, expand,
                tree.model()->rowCount(top), tick);
    return tree.model()->rowCount(top) == 100000;
}

bool ScanTree(const std::string& root) {
    FileSystemListing listing;
    FixedDrives drives;
    drives.drives = {root};
    HeadlessPrompts prompts;
    Document document(prompts);
    ScanWizardData data;
    ScanWizard wizard(data, document, listing, drives, {});
    wizard.show();
    FolderTreeModel& tree = wizard.FolderTree().Tree();
    tree.ToggleCheck(tree.Root().Child(0));
    wizard.next();
    wizard.next();  // the size page, nothing ticked
    const auto start = Clock::now();
    while (wizard.currentId() != kCompletingPageId) QTest::qWait(1);
    const double scan = Milliseconds(start);
    std::printf("wizard scan of %s: %.0f ms, %zu files\n", root.c_str(), scan, document.intake.Count());
    wizard.reject();
    return document.intake.Count() > 0;
}

}  // namespace
}  // namespace twinseek

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::string tree = argc > 1 ? argv[1] : "/tmp/twsbench/mixed";
    bool ok = twinseek::ExpandWide();
    ok &= twinseek::ScanTree(tree);
    return ok ? 0 : 1;
}

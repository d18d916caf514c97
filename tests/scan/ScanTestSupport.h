// A message target that records what a scan posts, a fixture that scans
// temporary trees into a fresh catalogue, and a drive list of a test's choosing.
#pragma once

#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"
#include "catalog/SameFileLinks.h"
#include "scan/DriveList.h"
#include "scan/MessageTarget.h"
#include "scan/ScanEngine.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace twinseek::testing {

struct FixedDrives : DriveSource {
    std::vector<std::string> drives;
    std::vector<std::string> Drives() const override { return drives; }
};

// Records what a scan posts, all of it on the scan thread: read it once the
// engine has ended (after Wait, or once destroyed).
class RecordingTarget : public MessageTarget {
public:
    // Called with each status text; set before the scan starts.
    std::function<void(const std::string&)> onStatus;
    std::vector<std::string> statuses;
    int doneCount = 0;

    void PostScanStatus(std::string text) override {
        if (onStatus) onStatus(text);
        statuses.push_back(std::move(text));
    }
    void PostScanDone() override { ++doneCount; }
};

class ScanFixture : public ::testing::Test {
protected:
    // Runs one scan of roots to its end and returns the status texts; prepare
    // gets the engine and its target before the start.
    std::vector<std::string> Scan(const std::vector<std::string>& roots,
                                  const std::function<void(ScanEngine&, RecordingTarget&)>& prepare = {}) {
        RecordingTarget target;
        ScanEngine engine(catalogRoot.get(), &intake, &links, &changes, &target);
        if (prepare) prepare(engine, target);
        EXPECT_TRUE(engine.Start(roots));
        engine.Wait();
        EXPECT_FALSE(engine.Start(roots)) << "an engine starts once";
        EXPECT_EQ(target.doneCount, 1);
        lastSkips = engine.Skips();
        lastFoldersEntered = engine.FoldersEntered();
        return target.statuses;
    }

    // The record filed for an absolute path, or null.
    FolderItem* FolderAt(const std::string& path) const {
        FolderItem* folder = catalogRoot->FindFolder("/");
        for (const auto& piece : std::filesystem::path(path).relative_path())
            if (folder) folder = folder->FindFolder(piece.string());
        return folder;
    }

    TemporaryTree tree;
    RootPtr catalogRoot = MakeRoot();
    FileCatalog intake;
    SameFileLinks links;
    // What the scans found of the records held before them.
    ScanChanges changes;
    // What the last Scan passed over, and how many folders it entered.
    ScanSkips lastSkips;
    uint32_t lastFoldersEntered = 0;
};

}  // namespace twinseek::testing

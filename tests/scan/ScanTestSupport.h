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

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek::testing {

struct FixedDrives : DriveSource {
    std::vector<std::string> drives;
    std::vector<std::string> Drives() const override { return drives; }
};

class RecordingTarget : public MessageTarget {
public:
    // Called on the scan thread with each status text; set before the scan starts.
    std::function<void(const std::string&)> onStatus;

    void PostScanStatus(std::string text) override {
        if (onStatus) onStatus(text);
        std::lock_guard lock(mutex);
        statuses.push_back(std::move(text));
    }
    void PostScanDone() override {
        std::lock_guard lock(mutex);
        ++doneCount;
        doneChanged.notify_all();
    }

    // Waits for the done message; false when it has not come within a minute,
    // which only a walk that hangs can take.
    bool WaitForDone() {
        std::unique_lock lock(mutex);
        return doneChanged.wait_for(lock, std::chrono::minutes(1), [this] { return doneCount > 0; });
    }
    std::vector<std::string> Statuses() const {
        std::lock_guard lock(mutex);
        return statuses;
    }
    int DoneCount() const {
        std::lock_guard lock(mutex);
        return doneCount;
    }

private:
    mutable std::mutex mutex;
    std::condition_variable doneChanged;
    std::vector<std::string> statuses;
    int doneCount = 0;
};

class ScanFixture : public ::testing::Test {
protected:
    // Runs one scan of roots to its end and returns the status texts.
    std::vector<std::string> Scan(const std::vector<std::string>& roots) {
        RecordingTarget target;
        ScanEngine engine(catalogRoot.get(), &intake, &links, &changes, &target);
        EXPECT_TRUE(engine.Start(roots));
        EXPECT_TRUE(target.WaitForDone());
        engine.Wait();
        EXPECT_EQ(target.DoneCount(), 1);
        lastSkips = engine.Skips();
        return target.Statuses();
    }

    // The record filed for an absolute path, or null.
    FolderItem* FolderAt(std::string_view path) const {
        FolderItem* folder = catalogRoot->FindFolder("/");
        size_t position = 1;
        while (folder && position < path.size()) {
            size_t end = std::min(path.find('/', position), path.size());
            folder = folder->FindFolder(path.substr(position, end - position));
            position = end + 1;
        }
        return folder;
    }

    TemporaryTree tree;
    RootPtr catalogRoot = MakeRoot();
    FileCatalog intake;
    SameFileLinks links;
    // What the scans found of the records held before them.
    ScanChanges changes;
    // What the last Scan passed over.
    ScanSkips lastSkips;
};

}  // namespace twinseek::testing

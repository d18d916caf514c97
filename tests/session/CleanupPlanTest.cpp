// A cleanup plan carried to the computer with the files: its JSON read back
// byte for byte, its paths and anchors taken back by mappings, and its checks
// there, where a copy kept on another computer is stood for by the digest.
#include "compare/FileDigest.h"
#include "session/CleanupPlan.h"
#include "session/FileDeletion.h"
#include "tests/session/CleanupTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using testing::FakeRemover;
using testing::TemporaryTree;
using testing::WriteBytes;

std::string Members(const PlanFile& file) {
    std::string out;
    AppendPlanFileMembers(out, file);
    return out;
}

TEST(CleanupPlanTest, PlansReadBackByteForByteAndWhatIsNoPlanIsSaidSo) {
    const PlanFile file{"/d/caf\xe9 \"q\"\n\x01", "/d", 5, -1234567800, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"};
    const PlanFile keep{"/e/k\xc3\xa9", "/", 5, 1700000000000000000, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"};
    const std::string step = "{" + Members(file) + ", \"keep\": {" + Members(keep) + "}, \"outcome\": \"planned\"}";
    std::string error;
    const std::optional<CleanupPlan> plan = ParseCleanupPlan(
        "{\"action\": \"delete\", \"dry_run\": true, \"other\": [1.5e3, {\"a\": null}], \"files\": [" + step + "]}",
        error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(plan->action, CleanupAction::Delete);
    ASSERT_EQ(plan->steps.size(), 1u);
    EXPECT_EQ(Members(plan->steps[0].file), Members(file));
    EXPECT_EQ(Members(plan->steps[0].keep), Members(keep));

    const std::pair<std::string, std::string> wrong[] = {
        {"[]", "does not begin with {"},
        {"{\"files\": []}", "no \"action\""},
        {"{\"action\": \"shred\", \"files\": []}", "not trash, delete, hardlink or clone"},
        {"{\"action\": \"trash\", \"files\": [{\"path\": \"/a\"}]}", "file 1 of the plan lacks"},
        {"{\"action\": \"trash\", \"files\": [" + step + "]", "does not end"},
    };
    for (const auto& [text, says] : wrong) {
        EXPECT_FALSE(ParseCleanupPlan(text, error)) << text;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
}

PlanFile At(std::string path, std::string anchor) { return {std::move(path), std::move(anchor), 0, 0, ""}; }

TEST(CleanupPlanTest, PathsAndTheirAnchorsAreTakenBackByTheLongestMappingThatHoldsThem) {
    const std::vector<PathMapping> mappings = {
        {"/net/laptop/home", "/home"}, {"/net/nas", "/srv"}, {"/net/one/file", "/data/renamed"}};
    struct Case {
        PlanFile planned;
        std::string path, anchor, steps;  // as the check walks it here; path empty: left out
    };
    const Case cases[] = {
        {At("/net/laptop/home/ann/d/f", "/net/laptop/home/ann"), "/home/ann/d/f", "/home/ann", "d/"},
        {At("/net/laptop/homework/f", "/net/laptop"), "/net/laptop/homework/f", "/net/laptop", "homework/"},
        // The mapping lies below the anchor: its new folder is followed as it is here.
        {At("/net/nas/music/a/f", "/net"), "/srv/music/a/f", "/srv", "music/a/"},
        {At("/net/one/file", "/net"), "/data/renamed", "/data", ""},
        {At("/a/f", "/b"), "", "", ""},
    };
    CleanupPlan plan;
    for (const Case& test : cases) plan.steps.push_back({test.planned, At("/k/f", "/k")});
    plan.steps.push_back(plan.steps[0]);  // a file planned twice is acted on once
    const LocalPlan local = TakeToThisComputer(plan, mappings);
    ASSERT_EQ(local.removals.size(), 4u);
    EXPECT_EQ(local.errors, std::vector<std::string>{"/a/f is not below the folder its scan began in, /b"});
    for (size_t i = 0; i < local.removals.size(); ++i) {
        const CheckedFile& file = local.removals[i].file;
        std::string steps;
        for (const std::string& step : file.where.steps) steps += step + "/";
        EXPECT_EQ(file.path, cases[i].path);
        EXPECT_EQ(file.where.anchor, cases[i].anchor) << file.path;
        EXPECT_EQ(steps, cases[i].steps) << file.path;
        EXPECT_EQ(local.steps[i].file.path + " @" + local.steps[i].file.anchor, file.path + " @" + file.where.anchor);
    }
}

TEST(CleanupPlanTest, ACopyKeptOnAnotherComputerIsStoodForByTheDigestOfTheFileReadAgain) {
    TemporaryTree tree;
    tree.Folder("here");
    struct Case {
        const char* name;
        CleanupAction action;
        bool keptHere;         // else its scan root is not on this computer
        std::string keepDigest;  // empty: the file's own
        const char* afterPlan;   // the file's (or, kept here, the copy's) bytes rewritten at their length
        const char* reason;      // empty: removed
    };
    const Case cases[] = {
        {"intact", CleanupAction::Delete, false, "", nullptr, ""},
        {"rewritten", CleanupAction::Trash, false, "", "other",
         "Modified since it was compared: its SHA-1 is not the one planned"},
        {"linked", CleanupAction::HardLink, false, "", nullptr,
         "The copy it keeps is not on this computer: a link or a clone needs it here"},
        {"unlike", CleanupAction::Delete, false, "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ", nullptr,
         "The copy it keeps is not on this computer, and the plan gives them no digest in common"},
        {"kept changed", CleanupAction::Delete, true, "", "other", "No copy that stays has the same contents"},
    };
    for (const Case& test : cases) {
        const std::string name = test.name;
        WriteBytes(tree.Path("here/" + name), "bytes");
        WriteBytes(tree.Path("here/" + name + ".kept"), "bytes");
        struct stat status {};
        ASSERT_EQ(stat(tree.Path("here/" + name).c_str(), &status), 0);
        const std::string digest = DigestFile(tree.Path("here/" + name).c_str()).text;
        const int64_t nanos = status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec / 100 * 100;
        CleanupPlan plan;
        plan.action = test.action;
        const std::string keptRoot = test.keptHere ? tree.Path("here") : tree.Path("elsewhere");
        plan.steps.push_back({{tree.Path("here/" + name), tree.Path("here"), 5, nanos, digest},
                              {keptRoot + "/" + name + ".kept", keptRoot, 5, nanos,
                               test.keepDigest.empty() ? digest : test.keepDigest}});
        if (test.afterPlan) {
            const std::string changed = tree.Path("here/" + name + (test.keptHere ? ".kept" : ""));
            WriteBytes(changed, std::string(test.afterPlan, 5));
            const timespec times[2] = {status.st_atim, status.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, changed.c_str(), times, 0), 0);
        }
        LocalPlan local = TakeToThisComputer(plan, {});
        const RemovalPlan removals(std::move(local.removals));
        FakeRemover remover;
        CleanupJournal journal(tree.Path("journal.jsonl"));
        bool cancelled = false;
        const std::vector<RemovalResult> results =
            RunRemovalPlan(removals, remover, test.action, false, journal, {}, cancelled);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].reason, test.reason) << name;
        EXPECT_EQ(results[0].byDigest, !*test.reason) << name;
        EXPECT_EQ(PathExists(tree.Path("here/" + name)), *test.reason != '\0') << name;
    }
}

}  // namespace
}  // namespace twinseek

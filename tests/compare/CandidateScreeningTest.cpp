// Screening before digesting: the groups it leads to are those of a
// byte-for-byte comparison, it rules out what its samples tell apart and
// nothing else, and what it cannot read goes on to the engine.
#include "compare/CandidateScreening.h"

#include "compare/CandidateQueueing.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace twinseek {
namespace {

using testing::RandomContent;
using Names = std::set<std::string>;

class CandidateScreeningTest : public testing::CompareFixture, public ::testing::WithParamInterface<uint32_t> {
protected:
    FileItem* Add(const std::string& name, const std::string& content) {
        contents[name] = content;
        return items[name] = files.AddFile(name, content);
    }
    // Marks item compared before with the given digest, whatever its bytes are now.
    static FileItem* Compared(FileItem* item, const std::string& digestText) {
        item->SetDigestText(digestText);
        item->compareState = Finished;
        return item;
    }
    // Screens every shared size, digests what screening chose and collects it.
    Names ScreenAndCompare(std::function<bool(uint64_t)> leaveComparedUnread = {}) {
        Names chosen;
        std::vector<FileItem*> toDigest =
            ScreenCandidates(SharedSizeFiles(files.catalog, nullptr), {GetParam(), {}, leaveComparedUnread});
        for (FileItem* item : toDigest) chosen.emplace(item->Name());
        QueueFiles(engine, toDigest);
        EXPECT_TRUE(WaitAllRowsDigested());
        engine.CollectFinished();
        return chosen;
    }
    std::set<Names> IndexGroups() const {
        std::set<Names> groups;
        index.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange range) {
            Names group;
            for (auto it = range.first; it != range.second; ++it) group.emplace((*it)->Name());
            groups.insert(group);
        });
        return groups;
    }
    std::set<Names> ContentGroups() const {
        std::map<std::string, Names> byContent;
        for (const auto& [name, content] : contents) byContent[content].insert(name);
        std::set<Names> groups;
        for (const auto& [content, names] : byContent)
            if (names.size() > 1) groups.insert(names);
        return groups;
    }

    std::map<std::string, std::string> contents;
    std::map<std::string, FileItem*> items;
};

std::string Flipped(std::string bytes, size_t at) {
    bytes[at] = char(bytes[at] ^ 0x01);
    return bytes;
}

TEST_P(CandidateScreeningTest, FindsTheGroupsOfAByteComparisonAndDigestsOnlyWhatItsSamplesCannotTellApart) {
    // Per size, a file and its copy, and variants that differ from it in the
    // first byte (sharing the rest), the last byte, or a byte in the middle.
    struct Case {
        size_t size;
        bool startRuledOut, endRuledOut;
    };
    const Case cases[] = {{4096, false, false}, {4097, true, false}, {65536, true, false}, {65537, true, true},
                          {300000, true, true}};
    Names ruledOut;
    for (const Case& c : cases) {
        const std::string original = RandomContent(c.size, uint32_t(c.size));
        const std::string name = std::to_string(c.size);
        Add(name + "-original", original);
        Add(name + "-copy", original);
        Add(name + "-start", Flipped(original, 0));
        Add(name + "-end", Flipped(original, c.size - 1));
        if (c.size / 2 >= kScreenHeadBytes) Add(name + "-middle", Flipped(original, c.size / 2));
        if (c.startRuledOut) ruledOut.insert(name + "-start");
        if (c.endRuledOut) ruledOut.insert(name + "-end");
    }
    for (const char* name : {"empty1", "empty2"}) Add(name, "");
    for (const char* name : {"small1", "small2"}) Add(name, "small and alike");
    Add("small-other", "small and Alike");
    Add("unique-size", RandomContent(123456, 1));

    Names expectedChosen;
    for (const auto& [name, content] : contents)
        if (name != "unique-size" && !ruledOut.count(name)) expectedChosen.insert(name);
    EXPECT_EQ(ScreenAndCompare(), expectedChosen);
    EXPECT_EQ(IndexGroups(), ContentGroups());
    EXPECT_EQ(comparing.RowCount(), 0u);
    for (const std::string& name : ruledOut)
        EXPECT_EQ(items[name]->compareState.load(), NotCompared) << name << " stays to be compared another time";
}

TEST_P(CandidateScreeningTest, WhatCannotBeSampledIsDigestedAndFilesComparedBeforeCountAsTheyAre) {
    const size_t size = 10000;
    const std::string a = RandomContent(size, 1);
    const std::string b = Flipped(a, 0);
    // Missing, a FIFO, a read that fails (this process's memory at offset 0),
    // and a file shorter than its record: the engine finds what it finds, as
    // CompareEngineTest tells.
    files.AddRecord("missing", size);
    ASSERT_EQ(mkfifo(files.Path("fifo").c_str(), 0600), 0);
    files.AddRecord("fifo", size);
    files.AddRecordAt("/proc/self/mem", size);
    files.AddRecord("shrunk", size);
    testing::WriteBytes(files.Path("shrunk"), "short");
    files.AddFile("readable", a);
    // Another size: a file compared before, and an unreadable one, whose
    // digest text is what a failed read gives.
    const std::string c = RandomContent(size + 1, 2);
    FileItem* known = Compared(files.AddFile("known", c), testing::DigestTextOf(c));
    ASSERT_TRUE(index.Insert(known));
    Compared(files.AddFile("unreadable", Flipped(c, 0)), kUnopenableText);
    files.AddFile("like-known", c);
    files.AddFile("like-unreadable", Flipped(c, 0));
    // A third: the file compared before is gone, so nothing rules the other out.
    Compared(files.AddRecord("gone", size + 2), testing::DigestTextOf(b));
    files.AddFile("next-to-gone", RandomContent(size + 2, 3));

    EXPECT_EQ(ScreenAndCompare(), (Names{"missing", "fifo", "mem", "shrunk", "like-known", "next-to-gone"}));
    EXPECT_EQ(index.CountOfKeyOf(known), 2u) << "the new copy joins the group of the file compared before";
}

TEST_P(CandidateScreeningTest, WhereComparedFilesStayUnreadTheFilesOfTheirSizeAreDigestedWhole) {
    // The compared file's bytes on disk are no longer those of its digest:
    // sampling it would rule out the copy of what it was.
    const std::string old = RandomContent(20000, 4);
    FileItem* known = Compared(files.AddFile("known", Flipped(old, 0)), testing::DigestTextOf(old));
    ASSERT_TRUE(index.Insert(known));
    files.AddFile("copy-of-old", old);
    files.AddFile("other", RandomContent(20000, 5));
    // A size without compared files is screened as ever.
    for (const char* name : {"alike1", "alike2"}) files.AddFile(name, RandomContent(30000, 6));
    files.AddFile("unlike", Flipped(RandomContent(30000, 6), 0));
    EXPECT_EQ(ScreenAndCompare([](uint64_t) { return true; }), (Names{"copy-of-old", "other", "alike1", "alike2"}));
    EXPECT_EQ(index.CountOfKeyOf(known), 2u);
}

INSTANTIATE_TEST_SUITE_P(OneOrSeveralThreads, CandidateScreeningTest, ::testing::Values(1u, 3u));

}  // namespace
}  // namespace twinseek

// The result view's model: the document's duplicate groups as a tree (root,
// seven size categories, one node per group) and as a file list whose rows run
// largest file first, each group's rows together, with ticks and backgrounds
// that alternate by group. It follows a running comparison file by file.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/SizeCategory.h"
#include "catalog/TextFormat.h"
#include "document/Document.h"
#include "document/DocumentView.h"
#include "session/GroupOrder.h"
#include "session/MarkRules.h"
#include "session/ResultTreeObserver.h"
#include "session/RowObserver.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace twinseek {

class ResultModel final : public DocumentView {
public:
    // Tree nodes: the root "All Files", the categories by their ids 1 to 7,
    // then one node per group, kept until the next Reset or Rebuild.
    static constexpr ResultNode kRootNode = 0;
    static constexpr ResultNode kFirstGroupNode = 8;

    // Row colours, 0x00BBGGRR.
    static constexpr uint32_t kGrey = 0xD2D2D2;
    static constexpr uint32_t kWhite = 0xFFFFFF;
    static constexpr uint32_t kHighlight = 0xF5C8AA;
    static constexpr uint32_t kTextColor = 0x000000;

    // Registers itself as a view of document, so that it is emptied before the
    // records go and rebuilt after a load or a deletion.
    explicit ResultModel(Document& document);
    ResultModel(const ResultModel&) = delete;
    ResultModel& operator=(const ResultModel&) = delete;
    ~ResultModel() override;

    void SetRowObserver(RowObserver* observer) { rows = observer; }
    void SetTreeObserver(ResultTreeObserver* observer) { tree = observer; }

    // Leaves the root and the seven categories, no rows, nothing ticked or selected.
    void Reset();
    // Replaces everything with the groups of the duplicate index.
    void Rebuild();
    // Shows the group of key at its place if the index holds two or more files
    // under it and it is not shown yet.
    void AddGroup(std::string_view key);
    // A file just collected (the last of its key's files): its row goes below
    // its group's, or its group appears when the key now holds two files.
    void AddCollectedFile(FileItem* item);

    void UpdateFromDocument() override { Rebuild(); }
    void CatalogAboutToBeCleared() override { Reset(); }

    // The tree. The root is its own parent; a child past the end is the root.
    ResultNode Parent(ResultNode node) const;
    size_t ChildCount(ResultNode node) const;
    ResultNode Child(ResultNode parent, size_t position) const;
    size_t PositionInParent(ResultNode node) const;
    bool IsGroupNode(ResultNode node) const {
        return node >= kFirstGroupNode && node - kFirstGroupNode < groups.size();
    }
    // "All Files", a category's name, or "name [N Copies]" for a group.
    std::string NodeText(ResultNode node) const;
    // A category's description; nothing for the root and groups.
    std::string_view NodeTip(ResultNode node) const;
    // The file that names a group and gives its icon; null for other nodes.
    FileItem* Representative(ResultNode node) const;
    std::optional<DuplicateKeyText> KeyOfNode(ResultNode node) const;
    // The category id of a category node or of a group's category; the
    // root's (kAllFilesId) for the root.
    uint32_t CategoryOfNode(ResultNode node) const;
    std::optional<ResultNode> NodeOfKey(std::string_view key) const;

    // The file list.
    size_t RowCount() const { return order.RowCount(); }
    FileItem* File(size_t row) const;
    ResultNode GroupNodeOfRow(size_t row) const;
    bool IsTicked(size_t row) const;
    void SetTicked(size_t row, bool ticked);
    // Rows first to first + count - 1 take one tick, told in one notice.
    void SetTickedRows(size_t first, size_t count, bool ticked);
    size_t TickedCount() const { return tickedCount; }
    // The ticked files in row order.
    std::vector<FileItem*> TickedFiles() const;
    // Ticks every file but the one the rules keep in each group of the
    // category (every group for kAllFilesId); groups the rules leave alone
    // and groups of other categories keep their ticks.
    void MarkCopies(const MarkRules& rules, uint32_t categoryId);
    void UnmarkAll();
    // Ticks what is clear and clears what is ticked, in every group.
    void InvertMarks();
    uint32_t Background(size_t row) const;
    uint32_t TextColor(size_t) const { return kTextColor; }
    std::string CellText(size_t row, size_t column) const;

    // Highlights the rows of a group node, giving the previously selected group
    // its own background back, and returns the group's first row and row count.
    // The root and the categories change nothing and return nothing.
    struct RowRange {
        size_t first;
        size_t count;
    };
    std::optional<RowRange> OnGroupSelected(ResultNode node);
    std::optional<ResultNode> SelectedGroup() const;

private:
    struct GroupRow {
        FileItem* file;
        bool ticked;
    };
    // A group's rows lie together in rowPool, in the order of the index's
    // files; a group that outgrows its room moves to the pool's end.
    struct Group {
        uint64_t size;
        uint32_t firstRow;
        uint32_t rowCount;
        uint32_t capacity;
        uint32_t category;
        uint32_t position;  // among its category's group nodes
    };
    // Groups made since the last rebuild are looked up by the size and digest
    // of a file of theirs.
    struct KeyHash {
        size_t operator()(const FileItem* item) const;
    };
    struct SameKey {
        bool operator()(const FileItem* a, const FileItem* b) const;
    };

    void Clear();
    uint32_t MakeGroup(DuplicateIndex::FileRange files, uint64_t size);
    std::optional<uint32_t> FindGroup(const FileItem* item) const;
    void InsertGroup(DuplicateIndex::FileRange files);
    void AppendRow(Group& group, FileItem* item);
    GroupRow& RowOf(const Group& group, size_t index) { return rowPool[group.firstRow + index]; }
    const GroupRow& RowOf(const Group& group, size_t index) const { return rowPool[group.firstRow + index]; }
    GroupOrder::Place PlaceOfRow(size_t row) const;
    void RowsOfGroupChanged(uint32_t group);
    // Gives the rows of group the ticks tickOf(i) and tells whether one changed.
    template <typename TickOf>
    bool SetGroupTicks(Group& group, TickOf tickOf);
    // Runs change on each group of the category, in row order, and tells the
    // rows from the first to the last group it changed in one notice.
    template <typename Change>
    void ChangeGroups(uint32_t categoryId, Change change);
    void Changed() { lastPlace.reset(); }

    Document& document;
    const DuplicateIndex& index;
    RowObserver* rows = nullptr;
    ResultTreeObserver* tree = nullptr;

    std::vector<Group> groups;
    std::vector<GroupRow> rowPool;
    GroupOrder order;
    // The groups of a rebuild by the address of their first file, sorted (far
    // cheaper to make for a million files than a hash of their keys), and the
    // groups made since by their keys.
    std::vector<std::pair<const FileItem*, uint32_t>> rebuiltGroups;
    std::unordered_map<const FileItem*, uint32_t, KeyHash, SameKey> addedGroups;
    std::vector<uint32_t> categoryGroups[8];
    std::optional<uint32_t> selected;
    size_t tickedCount = 0;
    // The place of the row asked last: a list asks for one row's cells in turn.
    mutable std::optional<GroupOrder::Place> lastPlace;
};

// The rows to make visible, in turn, so that rows first to last stand in the
// middle of a list that shows visibleRows rows at a time.
std::pair<size_t, size_t> CenteringRows(size_t first, size_t last, size_t visibleRows, size_t rowCount);

}  // namespace twinseek

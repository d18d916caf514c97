#include "session/ResultModel.h"

#include "catalog/GroupLabels.h"
#include "catalog/SizeCategory.h"
#include "session/ResultColumns.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <iterator>

namespace twinseek {

namespace {

// The duplicate key of a file (size in decimal, then its digest text); returns
// its length.
size_t KeyText(const FileItem* item, char* out) {
    char* end = std::to_chars(out, out + 20, item->Size()).ptr;
    std::string_view digest = item->DigestText();
    std::memcpy(end, digest.data(), digest.size());
    return size_t(end - out) + digest.size();
}

}  // namespace

size_t ResultModel::KeyHash::operator()(const FileItem* item) const {
    char key[kDuplicateKeyBufferSize];
    return std::hash<std::string_view>()(std::string_view(key, KeyText(item, key)));
}

size_t ResultModel::KeyHash::operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }

bool ResultModel::SameKey::operator()(const FileItem* a, const FileItem* b) const {
    return a->Size() == b->Size() && a->DigestText() == b->DigestText();
}

bool ResultModel::SameKey::operator()(const FileItem* a, std::string_view key) const {
    char text[kDuplicateKeyBufferSize];
    return std::string_view(text, KeyText(a, text)) == key;
}

bool ResultModel::SameKey::operator()(std::string_view key, const FileItem* b) const { return (*this)(b, key); }

ResultModel::ResultModel(Document& document) : document(document), index(document.duplicates) {
    document.RegisterView(this);
}

ResultModel::~ResultModel() { document.UnregisterView(this); }

void ResultModel::Clear() {
    groups.clear();
    order.Clear();
    groupOfKey.clear();
    for (std::vector<uint32_t>& children : categoryGroups) children.clear();
    selected.reset();
    tickedCount = 0;
    Changed();
}

void ResultModel::Reset() {
    if (rows) rows->AboutToReset();
    if (tree) tree->TreeAboutToBeReset();
    Clear();
    if (tree) tree->TreeReset();
    if (rows) rows->ResetDone();
}

void ResultModel::Rebuild() {
    if (rows) rows->AboutToReset();
    if (tree) tree->TreeAboutToBeReset();
    Clear();
    groups.reserve(index.KeyCount());
    std::vector<GroupOrder::Entry> entries;
    index.ForEachDuplicateGroup([&](uint64_t size, DuplicateIndex::FileRange files) {
        MakeGroup(files, size);
        entries.push_back({size, uint32_t(groups.size() - 1), uint32_t(groups.back().rows.size())});
    });
    // Groups come largest first, those of one size in the index's order, and
    // take rising ids: already the display order.
    order.Assign(entries);
    if (tree) tree->TreeReset();
    if (rows) rows->ResetDone();
}

void ResultModel::MakeGroup(DuplicateIndex::FileRange files, uint64_t size) {
    uint32_t id = uint32_t(groups.size());
    Group& group = groups.emplace_back();
    group.size = size;
    group.category = ClassifySize(size);
    group.position = uint32_t(categoryGroups[group.category].size());
    group.rows.reserve(size_t(std::distance(files.first, files.second)));
    for (auto it = files.first; it != files.second; ++it) group.rows.push_back({*it, false});
    categoryGroups[group.category].push_back(id);
    groupOfKey.emplace(group.rows.front().file, id);
}

void ResultModel::InsertGroup(DuplicateIndex::FileRange files) {
    const uint64_t size = (*files.first)->Size();
    const uint32_t id = uint32_t(groups.size());
    const uint32_t category = ClassifySize(size);
    const size_t count = size_t(std::distance(files.first, files.second));
    const GroupOrder::Place place = order.PlaceFor(size, id);
    if (rows) rows->RowsAboutToBeInserted(place.firstRow, count);
    if (tree) tree->GroupNodeAboutToBeAdded(category, categoryGroups[category].size());
    MakeGroup(files, size);
    order.Insert(size, id, uint32_t(count));
    Changed();
    if (tree) tree->GroupNodeAdded();
    if (rows) {
        rows->RowsInserted();
        // Every group below now stands one place further down: its background flips.
        size_t below = place.firstRow + count;
        if (below < RowCount()) rows->RowsChanged(below, RowCount() - below);
    }
}

void ResultModel::AddGroup(std::string_view key) {
    if (groupOfKey.find(key) != groupOfKey.end()) return;
    DuplicateIndex::FileRange files = index.Files(key);
    if (std::distance(files.first, files.second) < 2) return;
    InsertGroup(files);
}

void ResultModel::AddCollectedFile(FileItem* item) {
    auto found = groupOfKey.find(item);
    if (found == groupOfKey.end()) {
        char key[kDuplicateKeyBufferSize];
        AddGroup(std::string_view(key, KeyText(item, key)));
        return;
    }
    const uint32_t id = found->second;
    Group& group = groups[id];
    if (group.rows.back().file == item) return;
    std::optional<GroupOrder::Place> place = order.Find(group.size, id);
    if (!place) return;
    if (rows) rows->RowsAboutToBeInserted(place->firstRow + place->rows, 1);
    group.rows.push_back({item, false});
    order.AddRows(group.size, id, 1);
    Changed();
    if (rows) rows->RowsInserted();
    if (tree) tree->NodeChanged(kFirstGroupNode + id);
}

ResultNode ResultModel::Parent(ResultNode node) const {
    return IsGroupNode(node) ? groups[node - kFirstGroupNode].category : kRootNode;
}

size_t ResultModel::ChildCount(ResultNode node) const {
    if (node == kRootNode) return kSizeCategoryCount - 1;
    if (node < kFirstGroupNode) return categoryGroups[node].size();
    return 0;
}

ResultNode ResultModel::Child(ResultNode parent, size_t position) const {
    if (parent == kRootNode) return ResultNode(position + 1);
    return kFirstGroupNode + categoryGroups[parent][position];
}

size_t ResultModel::PositionInParent(ResultNode node) const {
    if (node == kRootNode) return 0;
    if (node < kFirstGroupNode) return node - 1;
    return IsGroupNode(node) ? groups[node - kFirstGroupNode].position : 0;
}

std::string ResultModel::NodeText(ResultNode node) const {
    if (node == kRootNode) return CategoryOfId(kAllFilesId).name;
    if (node < kFirstGroupNode) return CategoryOfId(node).name;
    if (!IsGroupNode(node)) return {};
    const Group& group = groups[node - kFirstGroupNode];
    return GroupLabel(group.rows.front().file->Name(), uint32_t(group.rows.size()));
}

std::string_view ResultModel::NodeTip(ResultNode node) const {
    if (node == kRootNode || node >= kFirstGroupNode) return {};
    return CategoryOfId(node).description;
}

FileItem* ResultModel::Representative(ResultNode node) const {
    return IsGroupNode(node) ? groups[node - kFirstGroupNode].rows.front().file : nullptr;
}

std::optional<DuplicateKeyText> ResultModel::KeyOfNode(ResultNode node) const {
    const FileItem* representative = Representative(node);
    if (!representative) return std::nullopt;
    return MakeDuplicateKey(representative->Size(), representative->digestText);
}

std::optional<ResultNode> ResultModel::NodeOfKey(std::string_view key) const {
    auto found = groupOfKey.find(key);
    if (found == groupOfKey.end()) return std::nullopt;
    return kFirstGroupNode + found->second;
}

GroupOrder::Place ResultModel::PlaceOfRow(size_t row) const {
    if (!lastPlace || row < lastPlace->firstRow || row >= lastPlace->firstRow + lastPlace->rows)
        lastPlace = order.AtRow(row);
    return *lastPlace;
}

FileItem* ResultModel::File(size_t row) const {
    if (row >= RowCount()) return nullptr;
    GroupOrder::Place place = PlaceOfRow(row);
    return groups[place.group].rows[row - place.firstRow].file;
}

ResultNode ResultModel::GroupNodeOfRow(size_t row) const {
    if (row >= RowCount()) return kRootNode;
    return kFirstGroupNode + PlaceOfRow(row).group;
}

bool ResultModel::IsTicked(size_t row) const {
    if (row >= RowCount()) return false;
    GroupOrder::Place place = PlaceOfRow(row);
    return groups[place.group].rows[row - place.firstRow].ticked;
}

void ResultModel::SetTicked(size_t row, bool ticked) {
    if (row >= RowCount()) return;
    GroupOrder::Place place = PlaceOfRow(row);
    bool& tick = groups[place.group].rows[row - place.firstRow].ticked;
    if (tick == ticked) return;
    tick = ticked;
    tickedCount = ticked ? tickedCount + 1 : tickedCount - 1;
    if (rows) rows->RowsChanged(row, 1);
}

std::vector<FileItem*> ResultModel::TickedFiles() const {
    std::vector<FileItem*> ticked;
    ticked.reserve(tickedCount);
    if (tickedCount == 0) return ticked;
    order.ForEach([&](const GroupOrder::Entry& entry) {
        for (const GroupRow& row : groups[entry.group].rows)
            if (row.ticked) ticked.push_back(row.file);
    });
    return ticked;
}

uint32_t ResultModel::Background(size_t row) const {
    if (row >= RowCount()) return kWhite;
    GroupOrder::Place place = PlaceOfRow(row);
    if (selected == place.group) return kHighlight;
    return place.ordinal % 2 == 0 ? kGrey : kWhite;
}

std::string ResultModel::CellText(size_t row, size_t column) const {
    const FileItem* file = File(row);
    return file ? ResultCellText(*file, column) : std::string();
}

void ResultModel::RowsOfGroupChanged(uint32_t group) {
    std::optional<GroupOrder::Place> place = order.Find(groups[group].size, group);
    if (rows && place) rows->RowsChanged(place->firstRow, place->rows);
}

std::optional<ResultModel::RowRange> ResultModel::OnGroupSelected(ResultNode node) {
    if (!IsGroupNode(node)) return std::nullopt;
    const uint32_t group = node - kFirstGroupNode;
    const std::optional<uint32_t> previous = selected;
    selected = group;
    if (previous && *previous != group) RowsOfGroupChanged(*previous);
    RowsOfGroupChanged(group);
    std::optional<GroupOrder::Place> place = order.Find(groups[group].size, group);
    if (!place) return std::nullopt;
    return RowRange{place->firstRow, place->rows};
}

std::optional<ResultNode> ResultModel::SelectedGroup() const {
    if (!selected) return std::nullopt;
    return kFirstGroupNode + *selected;
}

std::pair<size_t, size_t> CenteringRows(size_t first, size_t last, size_t visibleRows, size_t rowCount) {
    size_t middle = first + (last - first) / 2;
    size_t below = std::min(middle + visibleRows / 2, rowCount == 0 ? 0 : rowCount - 1);
    size_t above = middle > visibleRows / 2 ? middle - visibleRows / 2 : 0;
    return {below, above};
}

}  // namespace twinseek

#include "session/ResultModel.h"

#include "catalog/GroupLabels.h"
#include "catalog/SizeCategory.h"
#include "session/ResultColumns.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace twinseek {

namespace {

bool ByAddress(const std::pair<const FileItem*, uint32_t>& a, const std::pair<const FileItem*, uint32_t>& b) {
    return std::less<const FileItem*>()(a.first, b.first);
}

}  // namespace

size_t ResultModel::KeyHash::operator()(const FileItem* item) const {
    return std::hash<std::string_view>()(item->DigestText()) ^ (item->Size() * 0x9E3779B97F4A7C15ull);
}

bool ResultModel::SameKey::operator()(const FileItem* a, const FileItem* b) const {
    return a->Size() == b->Size() && a->DigestText() == b->DigestText();
}

ResultModel::ResultModel(Document& document) : document(document), index(document.duplicates) {
    document.RegisterView(this);
}

ResultModel::~ResultModel() { document.UnregisterView(this); }

void ResultModel::Clear() {
    groups.clear();
    rowPool.clear();
    order.Clear();
    rebuiltGroups.clear();
    addedGroups.clear();
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
    rowPool.reserve(index.FileCount());
    std::vector<GroupOrder::Entry> entries;
    index.ForEachDuplicateGroup([&](uint64_t size, DuplicateIndex::FileRange files) {
        uint32_t id = MakeGroup(files, size);
        entries.push_back({size, id, groups.back().rowCount});
        rebuiltGroups.emplace_back(*files.first, id);
    });
    // Groups come largest first, those of one size in the index's order, and
    // take rising ids: already the display order.
    order.Assign(entries);
    std::sort(rebuiltGroups.begin(), rebuiltGroups.end(), ByAddress);
    if (tree) tree->TreeReset();
    if (rows) rows->ResetDone();
}

uint32_t ResultModel::MakeGroup(DuplicateIndex::FileRange files, uint64_t size) {
    const uint32_t id = uint32_t(groups.size());
    Group& group = groups.emplace_back();
    group.size = size;
    group.firstRow = uint32_t(rowPool.size());
    for (auto it = files.first; it != files.second; ++it) rowPool.push_back({*it, false});
    group.rowCount = uint32_t(rowPool.size() - group.firstRow);
    group.capacity = group.rowCount;
    group.category = ClassifySize(size);
    group.position = uint32_t(categoryGroups[group.category].size());
    categoryGroups[group.category].push_back(id);
    return id;
}

std::optional<uint32_t> ResultModel::FindGroup(const FileItem* item) const {
    if (auto added = addedGroups.find(item); added != addedGroups.end()) return added->second;
    if (rebuiltGroups.empty()) return std::nullopt;
    // A rebuilt group is known by the first file of its key.
    const FileItem* first = index.First(MakeDuplicateKey(item->Size(), item->digestText).CStr());
    auto rebuilt = std::lower_bound(rebuiltGroups.begin(), rebuiltGroups.end(),
                                    std::pair<const FileItem*, uint32_t>(first, 0), ByAddress);
    if (first == nullptr || rebuilt == rebuiltGroups.end() || rebuilt->first != first) return std::nullopt;
    return rebuilt->second;
}

void ResultModel::AppendRow(Group& group, FileItem* item) {
    if (group.rowCount == group.capacity) {
        // Out of room: double it, at the pool's end (where a group last in the
        // pool already stands).
        const uint32_t capacity = std::max<uint32_t>(2 * group.capacity, 4);
        if (group.firstRow + group.capacity != rowPool.size()) {
            const size_t first = rowPool.size();
            rowPool.resize(first + capacity);
            std::copy_n(rowPool.begin() + group.firstRow, group.rowCount, rowPool.begin() + ptrdiff_t(first));
            group.firstRow = uint32_t(first);
        } else {
            rowPool.resize(group.firstRow + size_t(capacity));
        }
        group.capacity = capacity;
    }
    rowPool[group.firstRow + group.rowCount++] = {item, false};
}

void ResultModel::InsertGroup(DuplicateIndex::FileRange files) {
    const uint64_t size = (*files.first)->Size();
    const uint32_t id = uint32_t(groups.size());
    const uint32_t category = ClassifySize(size);
    const size_t count = size_t(std::distance(files.first, files.second));
    const GroupOrder::Place place = order.PlaceFor(size, id);
    if (rows) rows->RowsAboutToBeInserted(place.firstRow, count);
    if (tree) tree->GroupNodeAboutToBeAdded(category, categoryGroups[category].size());
    addedGroups.emplace(*files.first, MakeGroup(files, size));
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
    FileItem* first = index.First(key);
    if (!first || FindGroup(first)) return;
    DuplicateIndex::FileRange files = index.Files(key);
    if (std::distance(files.first, files.second) >= 2) InsertGroup(files);
}

void ResultModel::AddCollectedFile(FileItem* item) {
    std::optional<uint32_t> found = FindGroup(item);
    if (!found) {
        DuplicateIndex::FileRange files = index.Files(MakeDuplicateKey(item->Size(), item->digestText).CStr());
        if (std::distance(files.first, files.second) >= 2) InsertGroup(files);
        return;
    }
    const uint32_t id = *found;
    Group& group = groups[id];
    if (RowOf(group, group.rowCount - 1).file == item) return;
    std::optional<GroupOrder::Place> place = order.Find(group.size, id);
    if (!place) return;
    if (rows) rows->RowsAboutToBeInserted(place->firstRow + place->rows, 1);
    AppendRow(group, item);
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
    if (parent >= kFirstGroupNode || position >= categoryGroups[parent].size()) return kRootNode;
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
    return GroupLabel(RowOf(group, 0).file->Name(), group.rowCount);
}

std::string_view ResultModel::NodeTip(ResultNode node) const {
    if (node == kRootNode || node >= kFirstGroupNode) return {};
    return CategoryOfId(node).description;
}

FileItem* ResultModel::Representative(ResultNode node) const {
    return IsGroupNode(node) ? RowOf(groups[node - kFirstGroupNode], 0).file : nullptr;
}

std::optional<DuplicateKeyText> ResultModel::KeyOfNode(ResultNode node) const {
    const FileItem* representative = Representative(node);
    if (!representative) return std::nullopt;
    return MakeDuplicateKey(representative->Size(), representative->digestText);
}

uint32_t ResultModel::CategoryOfNode(ResultNode node) const {
    if (IsGroupNode(node)) return groups[node - kFirstGroupNode].category;
    return node >= 1 && node < kFirstGroupNode ? node : kAllFilesId;
}

std::optional<ResultNode> ResultModel::NodeOfKey(std::string_view key) const {
    const FileItem* first = index.First(key);
    std::optional<uint32_t> group = first ? FindGroup(first) : std::nullopt;
    if (!group) return std::nullopt;
    return kFirstGroupNode + *group;
}

GroupOrder::Place ResultModel::PlaceOfRow(size_t row) const {
    if (!lastPlace || row < lastPlace->firstRow || row >= lastPlace->firstRow + lastPlace->rows)
        lastPlace = order.AtRow(row);
    return *lastPlace;
}

FileItem* ResultModel::File(size_t row) const {
    if (row >= RowCount()) return nullptr;
    GroupOrder::Place place = PlaceOfRow(row);
    return RowOf(groups[place.group], row - place.firstRow).file;
}

ResultNode ResultModel::GroupNodeOfRow(size_t row) const {
    if (row >= RowCount()) return kRootNode;
    return kFirstGroupNode + PlaceOfRow(row).group;
}

bool ResultModel::IsTicked(size_t row) const {
    if (row >= RowCount()) return false;
    GroupOrder::Place place = PlaceOfRow(row);
    return RowOf(groups[place.group], row - place.firstRow).ticked;
}

void ResultModel::SetTicked(size_t row, bool ticked) {
    if (row >= RowCount()) return;
    GroupOrder::Place place = PlaceOfRow(row);
    bool& tick = RowOf(groups[place.group], row - place.firstRow).ticked;
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
        const Group& group = groups[entry.group];
        for (size_t i = 0; i < group.rowCount; ++i)
            if (RowOf(group, i).ticked) ticked.push_back(RowOf(group, i).file);
    });
    return ticked;
}

void ResultModel::SetTickedRows(size_t first, size_t count, bool ticked) {
    count = first < RowCount() ? std::min(count, RowCount() - first) : 0;
    if (count == 0) return;
    for (size_t row = first; row < first + count;) {
        GroupOrder::Place place = PlaceOfRow(row);
        const size_t end = std::min(first + count, place.firstRow + place.rows);
        for (; row < end; ++row) {
            bool& tick = RowOf(groups[place.group], row - place.firstRow).ticked;
            if (tick != ticked) tickedCount = ticked ? tickedCount + 1 : tickedCount - 1;
            tick = ticked;
        }
    }
    if (rows) rows->RowsChanged(first, count);
}

template <typename TickOf>
bool ResultModel::SetGroupTicks(Group& group, TickOf tickOf) {
    bool changed = false;
    for (size_t i = 0; i < group.rowCount; ++i) {
        bool& tick = RowOf(group, i).ticked;
        const bool ticked = tickOf(i);
        if (tick == ticked) continue;
        tick = ticked;
        tickedCount = ticked ? tickedCount + 1 : tickedCount - 1;
        changed = true;
    }
    return changed;
}

template <typename Change>
void ResultModel::ChangeGroups(uint32_t categoryId, Change change) {
    size_t row = 0;
    std::optional<size_t> first;
    size_t end = 0;
    order.ForEach([&](const GroupOrder::Entry& entry) {
        Group& group = groups[entry.group];
        if ((categoryId == kAllFilesId || group.category == categoryId) && change(group)) {
            if (!first) first = row;
            end = row + entry.rows;
        }
        row += entry.rows;
    });
    if (rows && first) rows->RowsChanged(*first, end - *first);
}

void ResultModel::MarkCopies(const MarkRules& rules, uint32_t categoryId) {
    CopyMarker marker(rules);
    std::vector<FileItem*> files;
    ChangeGroups(categoryId, [&](Group& group) {
        files.clear();
        for (size_t i = 0; i < group.rowCount; ++i) files.push_back(RowOf(group, i).file);
        const std::vector<bool>& ticks = marker.Mark(files);
        return !ticks.empty() && SetGroupTicks(group, [&](size_t i) { return bool(ticks[i]); });
    });
}

void ResultModel::UnmarkAll() {
    if (tickedCount == 0) return;
    ChangeGroups(kAllFilesId, [&](Group& group) { return SetGroupTicks(group, [](size_t) { return false; }); });
}

void ResultModel::InvertMarks() {
    ChangeGroups(kAllFilesId,
                 [&](Group& group) { return SetGroupTicks(group, [&](size_t i) { return !RowOf(group, i).ticked; }); });
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

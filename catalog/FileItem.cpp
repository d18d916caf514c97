#include "catalog/FileItem.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace twinseek {

FileItem* FileItem::Create(FolderItem* parent, const FindData& data, int32_t state) {
    void* memory = ::operator new(sizeof(FileItem) + NamesSize(data));
    char* names = static_cast<char*>(memory) + sizeof(FileItem);
    return new (memory) FileItem(parent, data, state, names);
}

void FileItem::SetDigestText(std::string_view text) {
    size_t length = std::min(text.size(), kDigestTextSize - 1);
    if (length != 0) std::memcpy(digestText, text.data(), length);
    digestText[length] = '\0';
}

void FileItem::TakeChangedEntry(const EntryData& entry) {
    findData = entry;
    SetDigestText({});
    hashMillis = 0;
    colorMarks.reset();
    compareState.store(NotCompared, std::memory_order_relaxed);
}

void FileItem::SetTextColor(ListId list, uint32_t color) {
    if (!colorMarks) colorMarks = std::make_unique<std::vector<ColorMark>>();
    for (ColorMark& mark : *colorMarks)
        if (mark.list == list) {
            mark.textColor = color;
            return;
        }
    colorMarks->push_back({list, color, 0xFFFFFF});
}

std::optional<ColorMark> FileItem::FindColorMark(ListId list) const {
    if (colorMarks)
        for (const ColorMark& mark : *colorMarks)
            if (mark.list == list) return mark;
    return std::nullopt;
}

}  // namespace twinseek

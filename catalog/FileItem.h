// A file record: its entry, where it stands in comparison, its digest text and
// the colours its rows are drawn with in particular lists.
#pragma once

#include "catalog/CatalogItem.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace twinseek {

// The digest text of a file that could not be read.
inline constexpr char kUnopenableText[] = "File can not to be opened!";
constexpr size_t kDigestTextSize = 33;

// Identifies a list that draws file rows (any stable address of that list).
using ListId = const void*;

struct ColorMark {
    ListId list;
    uint32_t textColor;  // 0x00BBGGRR
    uint32_t backColor;
};

class FileItem : public CatalogItem {
public:
    static FileItem* Create(FolderItem* parent, const FindData& data, int32_t state = Provisional);

    std::string_view DigestText() const { return digestText; }
    void SetDigestText(std::string_view text);
    bool IsUnopenable() const { return DigestText() == kUnopenableText; }

    // The file changed on disk: takes its entry as found now (names stay) and
    // forgets its comparison (digest, time, row colours); NotCompared.
    void TakeChangedEntry(const EntryData& entry);

    void SetTextColor(ListId list, uint32_t color);
    std::optional<ColorMark> FindColorMark(ListId list) const;

    char digestText[kDigestTextSize] = {};
    uint32_t hashMillis = 0;

private:
    FileItem(FolderItem* parent, const FindData& data, int32_t state, char* inlineNames)
        : CatalogItem(parent, data, state, inlineNames) {}

    std::unique_ptr<std::vector<ColorMark>> colorMarks;
};

}  // namespace twinseek

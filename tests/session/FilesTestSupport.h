// Stand-ins for the desktop's type names and icons, counting what is asked,
// and a catalogue of records of chosen sizes for the files view's models.
#pragma once

#include "catalog/FileCatalog.h"
#include "session/FileTypeCache.h"
#include "session/FileTypeProviders.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <string>
#include <string_view>
#include <vector>

namespace twinseek::testing {

class CountingFileTypes final : public FileTypeNames, public FileIcons {
public:
    // "Type of <ext>", and an icon per extension ("nothing" has neither).
    std::string TypeName(std::string_view extension) override {
        typeQueries.emplace_back(extension);
        return extension == "nothing" ? std::string() : "Type of " + std::string(extension);
    }
    int32_t IconOfType(std::string_view extension) override {
        iconQueries.emplace_back(extension);
        return extension == "nothing" ? -1 : int32_t(100 + iconQueries.size());
    }
    int32_t IconOfFile(std::string_view path, std::string_view) override {
        fileIconQueries.emplace_back(path);
        return int32_t(500 + fileIconQueries.size());
    }

    std::vector<std::string> typeQueries;
    std::vector<std::string> iconQueries;
    std::vector<std::string> fileIconQueries;
    FileTypeCache cache{*this, *this};
};

// Records under /data, each entered in the size index as it is made.
class SizedCatalog {
public:
    FileItem* Add(const std::string& name, uint64_t size) {
        FileItem* file = AddFile(folder, name, size);
        catalog.Insert(size, file);
        return file;
    }

    RootPtr root = MakeRoot();
    FolderItem* folder = root->FindOrCreateFolder(EntryNamed("/", 0, FILE_ATTRIBUTE_DIRECTORY))
                             ->FindOrCreateFolder(EntryNamed("data", 0, FILE_ATTRIBUTE_DIRECTORY));
    FileCatalog catalog;
};

}  // namespace twinseek::testing

// What the file list asks of the desktop about a kind of file: its type name,
// and its icon as an index into the process-wide icon cache (-1 for none).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twinseek {

class FileTypeNames {
public:
    virtual ~FileTypeNames() = default;
    // The type name of files with this lower-case extension ("" for names
    // without a dot); empty when the desktop has none.
    virtual std::string TypeName(std::string_view extension) = 0;
};

class FileIcons {
public:
    virtual ~FileIcons() = default;
    // The icon shared by files with this lower-case extension.
    virtual int32_t IconOfType(std::string_view extension) = 0;
    // The icon of this very file, for the kinds that carry one of their own.
    virtual int32_t IconOfFile(std::string_view path, std::string_view extension) = 0;
};

}  // namespace twinseek

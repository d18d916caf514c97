// Type names and icons of files from the desktop: the comment of the MIME type
// that a name's extension stands for, and that type's theme icon (the style's
// file icon where the theme has none). Each icon is kept once in a
// process-wide list, and an icon index is a place in that list.
#pragma once

#include "session/FileTypeCache.h"
#include "session/FileTypeProviders.h"

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <vector>

namespace twinseek {

class DesktopFileTypes final : public FileTypeNames, public FileIcons {
public:
    std::string TypeName(std::string_view extension) override;
    int32_t IconOfType(std::string_view extension) override;
    // An .ico file shows its own picture when it can be read; anything else
    // the icon of its type.
    int32_t IconOfFile(std::string_view path, std::string_view extension) override;

    // The icon at index; a null icon outside the list.
    QIcon Icon(int32_t index) const;

private:
    QMimeType MimeTypeOf(std::string_view extension) const;
    // The index of the icon kept under key, keeping icon there first if none is.
    int32_t Keep(const QString& key, const QIcon& icon);

    QMimeDatabase mimeTypes;
    std::vector<QIcon> icons;
    QHash<QString, int32_t> indexOfKey;
};

// The process-wide desktop types and the cache in front of them.
DesktopFileTypes& SharedDesktopFileTypes();
FileTypeCache& SharedFileTypeCache();

}  // namespace twinseek

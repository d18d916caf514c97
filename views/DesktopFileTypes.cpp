#include "views/DesktopFileTypes.h"

#include <QFile>
#include <QFileIconProvider>
#include <QImageReader>

namespace twinseek {

QMimeType DesktopFileTypes::MimeTypeOf(std::string_view extension) const {
    // Asked by the extension alone, so that every file filed under it in the
    // cache gets what any of them would.
    if (extension.empty()) return mimeTypes.mimeTypeForName(QStringLiteral("application/octet-stream"));
    return mimeTypes.mimeTypeForFile(QLatin1String("file.") + QString::fromUtf8(extension.data(), qsizetype(extension.size())),
                                     QMimeDatabase::MatchExtension);
}

std::string DesktopFileTypes::TypeName(std::string_view extension) {
    QMimeType type = MimeTypeOf(extension);
    return type.isValid() ? type.comment().toStdString() : std::string();
}

int32_t DesktopFileTypes::IconOfType(std::string_view extension) {
    QMimeType type = MimeTypeOf(extension);
    for (const QString& name : {type.iconName(), type.genericIconName()})
        if (!name.isEmpty() && QIcon::hasThemeIcon(name)) return Keep(name, QIcon::fromTheme(name));
    static const QString kStyleFileIcon = QStringLiteral(":file");
    return Keep(kStyleFileIcon, QFileIconProvider().icon(QAbstractFileIconProvider::File));
}

int32_t DesktopFileTypes::IconOfFile(std::string_view path, std::string_view extension) {
    if (extension == "ico") {
        QString file = QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
        if (QImageReader(file).canRead()) return Keep(QLatin1String("file:") + file, QIcon(file));
    }
    return IconOfType(extension);
}

QIcon DesktopFileTypes::Icon(int32_t index) const {
    return index >= 0 && size_t(index) < icons.size() ? icons[size_t(index)] : QIcon();
}

int32_t DesktopFileTypes::Keep(const QString& key, const QIcon& icon) {
    auto found = indexOfKey.constFind(key);
    if (found != indexOfKey.constEnd()) return *found;
    int32_t index = int32_t(icons.size());
    icons.push_back(icon);
    indexOfKey.insert(key, index);
    return index;
}

// Both live as long as the process: the icons must not be destroyed after the
// application object, which a static would do.
DesktopFileTypes& SharedDesktopFileTypes() {
    static DesktopFileTypes* types = new DesktopFileTypes;
    return *types;
}

FileTypeCache& SharedFileTypeCache() {
    static FileTypeCache* cache = new FileTypeCache(SharedDesktopFileTypes(), SharedDesktopFileTypes());
    return *cache;
}

}  // namespace twinseek

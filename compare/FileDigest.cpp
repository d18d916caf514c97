#include "compare/FileDigest.h"

#include "catalog/FileItem.h"

#include <memory>

namespace twinseek {

FileDigestResult DigestFile(const char* path) {
    FileContentReader reader;
    if (!reader.Open(path)) return {reader.LastError(), {}};
    Sha1Digest digest;
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kReadPieceSize);
    ContentEnd end = DigestContent(reader, digest, buffer.get(), [] { return true; }, [](size_t) {});
    if (end != ContentEnd::Complete) return {reader.LastError(), {}};
    digest.Final();
    char text[kDigestTextSize];
    digest.GetBase32Text(text);
    return {0, text};
}

}  // namespace twinseek

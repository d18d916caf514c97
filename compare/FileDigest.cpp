#include "compare/FileDigest.h"

#include "catalog/FileItem.h"
#include "platform/BusErrorGuard.h"

#include <cerrno>
#include <memory>

namespace twinseek {

bool DigestMappedPiece(Sha1Digest& digest, const uint8_t* data, size_t bytes) {
    struct Piece {
        Sha1Digest& digest;
        const uint8_t* data;
        size_t bytes;
    } piece{digest, data, bytes};
    return RunGuardedAgainstBusError(
        [](void* context) {
            Piece& work = *static_cast<Piece*>(context);
            work.digest.Update(work.data, uint32_t(work.bytes));
        },
        &piece);
}

FileDigestResult DigestFile(const char* path) {
    FileContentReader reader;
    if (!reader.Open(path)) return {reader.LastError(), {}, reader.RefusedMode()};
    Sha1Digest digest;
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kReadPieceSize);
    ContentEnd end = DigestContent(reader, digest, buffer.get(), [] { return true; }, [](size_t) {});
    // A file cut short while it was read leaves no errno of its own.
    if (end != ContentEnd::Complete) return {reader.LastError() != 0 ? reader.LastError() : EIO, {}, 0};
    digest.Final();
    char text[kDigestTextSize];
    digest.GetBase32Text(text);
    return {0, text, 0};
}

}  // namespace twinseek

#include "compare/Sha1Digest.h"

#include "compare/Sha1Compress.h"

#include <cstring>

namespace twinseek {

Sha1Digest::Sha1Digest() : Sha1Digest(BestPath()) {}

Sha1Digest::Sha1Digest(Sha1Path chosenPath)
    : path(PathAvailable(chosenPath) ? chosenPath : Sha1Path::Portable) {
    Reset();
}

bool Sha1Digest::PathAvailable(Sha1Path path) {
    switch (path) {
        case Sha1Path::Portable:
            return true;
        case Sha1Path::ShaExtensions: {
            static const bool supported = ShaExtensionsSupported();
            return supported;
        }
    }
    return false;
}

Sha1Path Sha1Digest::BestPath() {
    return PathAvailable(Sha1Path::ShaExtensions) ? Sha1Path::ShaExtensions : Sha1Path::Portable;
}

void Sha1Digest::Reset() {
    byteCount = 0;
    state[0] = 0x67452301u;
    state[1] = 0xEFCDAB89u;
    state[2] = 0x98BADCFEu;
    state[3] = 0x10325476u;
    state[4] = 0xC3D2E1F0u;
}

void Sha1Digest::Compress(const uint8_t* blocks, size_t count) {
#if defined(__x86_64__) || defined(__i386__)
    if (path == Sha1Path::ShaExtensions) {
        Sha1CompressShaExtensions(state, blocks, count);
        return;
    }
#endif
    Sha1CompressPortable(state, blocks, count);
}

void Sha1Digest::Update(const void* data, uint32_t length) {
    if (length == 0) return;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    const uint32_t used = static_cast<uint32_t>(byteCount % 64);
    byteCount += length;

    if (used != 0) {
        if (used + length < 64) {
            std::memcpy(block + used, bytes, length);
            return;
        }
        const uint32_t fill = 64 - used;
        std::memcpy(block + used, bytes, fill);
        Compress(block, 1);
        bytes += fill;
        length -= fill;
    }
    // Whole blocks straight from the caller's buffer, all in one call.
    if (length >= 64) {
        const size_t count = length / 64;
        Compress(bytes, count);
        bytes += count * 64;
        length %= 64;
    }
    std::memcpy(block, bytes, length);
}

void Sha1Digest::Final() {
    const uint64_t bits = byteCount * 8;
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));

    static constexpr uint8_t padding[64] = {0x80};
    const uint32_t used = static_cast<uint32_t>(byteCount % 64);
    Update(padding, used < 56 ? 56 - used : 120 - used);
    Update(lengthBytes, sizeof lengthBytes);
}

void Sha1Digest::GetDigest(uint8_t out[20]) const {
    for (int word = 0; word < 5; ++word) {
        for (int i = 0; i < 4; ++i) out[4 * word + i] = static_cast<uint8_t>(state[word] >> (24 - 8 * i));
    }
}

void Sha1Digest::GetBase32Text(char out[33]) const {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    uint8_t digest[20];
    GetDigest(digest);
    // 160 bits make exactly 32 five-bit characters: five bytes give eight.
    for (int group = 0; group < 4; ++group) {
        uint64_t bits = 0;
        for (int i = 0; i < 5; ++i) bits = (bits << 8) | digest[5 * group + i];
        for (int i = 0; i < 8; ++i) out[8 * group + i] = alphabet[(bits >> (35 - 5 * i)) & 31];
    }
    out[32] = '\0';
}

std::string Sha1Digest::GetBase32Text(bool withPrefix) const {
    char text[33];
    GetBase32Text(text);
    return withPrefix ? std::string("urn:sha1:") + text : std::string(text);
}

}  // namespace twinseek

// Running SHA-1 digest of a byte stream, as used to tell files of equal size
// apart; gives the 20-byte digest and its base32 text.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

namespace twinseek {

// Which compression code a digest runs on.
enum class Sha1Path { Portable, ShaExtensions };

class Sha1Digest {
public:
    // Uses the fastest path this processor offers.
    Sha1Digest();
    // Uses the given path, or the portable one when the processor lacks it.
    explicit Sha1Digest(Sha1Path chosenPath);

    static bool PathAvailable(Sha1Path path);
    static Sha1Path BestPath();
    Sha1Path Path() const { return path; }

    void Reset();
    void Update(const void* data, uint32_t length);
    // Pads and feeds the length; the digest is then ready. Does not reset.
    void Final();

    void GetDigest(uint8_t out[20]) const;
    // Base32 of the digest, 32 upper-case characters, optionally after "urn:sha1:".
    std::string GetBase32Text(bool withPrefix) const;
    // The same 32 characters without allocating, followed by a zero.
    void GetBase32Text(char out[33]) const;

private:
    friend struct Sha1DigestTestAccess;

    void Compress(const uint8_t* blocks, size_t count);

    uint64_t byteCount = 0;
    uint32_t state[5] = {};
    uint8_t block[64] = {};
    Sha1Path path;
};

static_assert(std::is_trivially_copyable_v<Sha1Digest>, "a digest is copied as plain data");

}  // namespace twinseek

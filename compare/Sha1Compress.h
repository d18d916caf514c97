// The SHA-1 compression function: folds whole 64-byte blocks into the five-word
// state. A portable version and one using the x86 SHA extensions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace twinseek {

// Compresses count consecutive 64-byte blocks starting at blocks into state.
void Sha1CompressPortable(uint32_t state[5], const uint8_t* blocks, size_t count);

// True when this processor has the SHA extensions plus SSSE3 and SSE4.1.
bool ShaExtensionsSupported();

#if defined(__x86_64__) || defined(__i386__)
// Same result as the portable version; call only when ShaExtensionsSupported().
void Sha1CompressShaExtensions(uint32_t state[5], const uint8_t* blocks, size_t count);
#endif

}  // namespace twinseek

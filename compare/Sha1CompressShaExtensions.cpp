#include "compare/Sha1Compress.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

namespace twinseek {

bool ShaExtensionsSupported() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    const bool ssse3 = (ecx & bit_SSSE3) != 0;
    const bool sse41 = (ecx & bit_SSE4_1) != 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    const bool sha = (ebx & bit_SHA) != 0;
    return ssse3 && sse41 && sha;
}

// Four rounds per step. Message vector m[g] holds words 4g..4g+3 with the first
// word in the top lane, as the SHA instructions expect; each step also works on
// the schedule for the steps one to three ahead, so the message instructions run
// in the shadow of the round instruction. cur is m[g]; plus1, plus2 and minus1 are
// the registers of m[g+1], m[g+2] and m[g-1] (which becomes m[g+3]).
#define SHA1_STEP(g, cur, plus1, plus2, minus1)                          \
    do {                                                                 \
        const __m128i eWork = _mm_sha1nexte_epu32(ePrevious, cur);        \
        ePrevious = abcd;                                                \
        if ((g) >= 3 && (g) <= 18) plus1 = _mm_sha1msg2_epu32(plus1, cur); \
        abcd = _mm_sha1rnds4_epu32(abcd, eWork, (g) / 5);                \
        if ((g) <= 16) minus1 = _mm_sha1msg1_epu32(minus1, cur);          \
        if ((g) >= 2 && (g) <= 17) plus2 = _mm_xor_si128(plus2, cur);     \
    } while (0)

__attribute__((target("sha,sse4.1,ssse3")))
void Sha1CompressShaExtensions(uint32_t state[5], const uint8_t* blocks, size_t count) {
    // Reverses all sixteen bytes: big-endian words, first word in the top lane.
    const __m128i byteReverse = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);

    for (; count != 0; --count, blocks += 64) {
        const __m128i abcdSaved = abcd;
        const __m128i eSaved = e;
        const __m128i* words = reinterpret_cast<const __m128i*>(blocks);
        __m128i m0 = _mm_shuffle_epi8(_mm_loadu_si128(words + 0), byteReverse);
        __m128i m1 = _mm_shuffle_epi8(_mm_loadu_si128(words + 1), byteReverse);
        __m128i m2 = _mm_shuffle_epi8(_mm_loadu_si128(words + 2), byteReverse);
        __m128i m3 = _mm_shuffle_epi8(_mm_loadu_si128(words + 3), byteReverse);

        // Step 0 takes e as it is; later steps derive it from a rotated earlier a.
        __m128i ePrevious = abcd;
        abcd = _mm_sha1rnds4_epu32(abcd, _mm_add_epi32(e, m0), 0);
        SHA1_STEP(1, m1, m2, m3, m0);
        SHA1_STEP(2, m2, m3, m0, m1);
        SHA1_STEP(3, m3, m0, m1, m2);
        SHA1_STEP(4, m0, m1, m2, m3);
        SHA1_STEP(5, m1, m2, m3, m0);
        SHA1_STEP(6, m2, m3, m0, m1);
        SHA1_STEP(7, m3, m0, m1, m2);
        SHA1_STEP(8, m0, m1, m2, m3);
        SHA1_STEP(9, m1, m2, m3, m0);
        SHA1_STEP(10, m2, m3, m0, m1);
        SHA1_STEP(11, m3, m0, m1, m2);
        SHA1_STEP(12, m0, m1, m2, m3);
        SHA1_STEP(13, m1, m2, m3, m0);
        SHA1_STEP(14, m2, m3, m0, m1);
        SHA1_STEP(15, m3, m0, m1, m2);
        SHA1_STEP(16, m0, m1, m2, m3);
        SHA1_STEP(17, m1, m2, m3, m0);
        SHA1_STEP(18, m2, m3, m0, m1);
        SHA1_STEP(19, m3, m0, m1, m2);

        e = _mm_sha1nexte_epu32(ePrevious, eSaved);
        abcd = _mm_add_epi32(abcd, abcdSaved);
    }

    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<uint32_t>(_mm_extract_epi32(e, 3));
}

#undef SHA1_STEP

}  // namespace twinseek

#else

namespace twinseek {

bool ShaExtensionsSupported() { return false; }

}  // namespace twinseek

#endif

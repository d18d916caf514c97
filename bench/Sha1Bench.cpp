// Digest speed of the portable and SHA-extension paths next to OpenSSL's SHA-1,
// over one large buffer fed in 16 KiB pieces as the compare worker reads files.
#include "compare/Sha1Digest.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr size_t kBufferSize = size_t(64) << 20;
constexpr size_t kPieceSize = 16384;

const std::vector<uint8_t>& Buffer() {
    static const std::vector<uint8_t> buffer = [] {
        std::vector<uint8_t> bytes(kBufferSize);
        std::mt19937_64 random(1);
        for (auto& byte : bytes) byte = uint8_t(random());
        return bytes;
    }();
    return buffer;
}

void DigestWithPath(benchmark::State& state, twinseek::Sha1Path path) {
    if (!twinseek::Sha1Digest::PathAvailable(path)) {
        state.SkipWithError("path not available on this processor");
        return;
    }
    const std::vector<uint8_t>& buffer = Buffer();
    twinseek::Sha1Digest digest(path);
    uint8_t out[20];
    for (auto _ : state) {
        digest.Reset();
        for (size_t offset = 0; offset < buffer.size(); offset += kPieceSize)
            digest.Update(buffer.data() + offset, kPieceSize);
        digest.Final();
        digest.GetDigest(out);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
}

void BM_Sha1Portable(benchmark::State& state) { DigestWithPath(state, twinseek::Sha1Path::Portable); }

void BM_Sha1ShaExtensions(benchmark::State& state) {
    DigestWithPath(state, twinseek::Sha1Path::ShaExtensions);
}

void BM_Sha1OpenSsl(benchmark::State& state) {
    const std::vector<uint8_t>& buffer = Buffer();
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const EVP_MD* sha1 = EVP_sha1();
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int outLength = 0;
    for (auto _ : state) {
        EVP_DigestInit_ex(context, sha1, nullptr);
        for (size_t offset = 0; offset < buffer.size(); offset += kPieceSize)
            EVP_DigestUpdate(context, buffer.data() + offset, kPieceSize);
        EVP_DigestFinal_ex(context, out, &outLength);
        benchmark::DoNotOptimize(out);
    }
    EVP_MD_CTX_free(context);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
}

}  // namespace

BENCHMARK(BM_Sha1Portable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha1ShaExtensions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha1OpenSsl)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

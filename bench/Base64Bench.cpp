// Base64 of a 1 MB buffer, ours against OpenSSL's block coder.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include "BenchRatio.h"
#include "document/Base64.h"

namespace {

constexpr size_t kBytes = 3 * 1024 * 1024 / 3;

plat::Data sampleBytes()
{
    plat::Data data(kBytes);
    uint32_t state = 12345;
    for (auto& byte : data) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return data;
}

void Base64EncodeOurs(benchmark::State& state)
{
    auto data = sampleBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(zt::Base64::encode(data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void Base64EncodeOpenSSL(benchmark::State& state)
{
    auto data = sampleBytes();
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    for (auto _ : state) {
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data.data(), static_cast<int>(data.size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void Base64DecodeOurs(benchmark::State& state)
{
    auto text = zt::Base64::encode(sampleBytes());
    for (auto _ : state)
        benchmark::DoNotOptimize(zt::Base64::decode(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void Base64DecodeOpenSSL(benchmark::State& state)
{
    auto text = zt::Base64::encode(sampleBytes());
    std::vector<unsigned char> out(text.size());
    for (auto _ : state) {
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

const zt::bench::Comparison kEncode("Base64EncodeOurs", "Base64EncodeOpenSSL");
const zt::bench::Comparison kDecode("Base64DecodeOurs", "Base64DecodeOpenSSL");

}  // namespace

BENCHMARK(Base64EncodeOurs);
BENCHMARK(Base64EncodeOpenSSL);
BENCHMARK(Base64DecodeOurs);
BENCHMARK(Base64DecodeOpenSSL);

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "proxy/container_jobs.h"

namespace {

using containerproxy::PartSource;
using containerproxy::String;

std::string makeWorkDirectory() {
  std::string pattern = "/tmp/vxn-bench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

void writeNoise(const std::string& path, size_t size) {
  std::mt19937 random(42);
  std::string bytes(size, '\0');
  // Half noise, half text-like runs, so that deflate has some work and some gain.
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = (i / 4096) % 2 ? static_cast<char>('a' + i % 7) : static_cast<char>(random());
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// One part of state.range(0) bytes added to a new container, then extracted again.
void BM_AddAndExtractOnePart(benchmark::State& state) {
  const std::string dir = makeWorkDirectory();
  const size_t size = static_cast<size_t>(state.range(0));
  writeNoise(dir + "/source", size);
  const String container = String::FromNarrow(dir + "/c.zrm");
  const PartSource part{String::FromNarrow(dir + "/source"), "part.bin", "binary"};
  for (auto _ : state) {
    std::remove((dir + "/c.zrm").c_str());
    auto added = containerproxy::addParts(container, 1, [&](int, PartSource* out, String*) {
      *out = part;
      return true;
    });
    auto extracted = containerproxy::extractPart(container, String::FromNarrow(dir), "part.bin");
    if (!added.ok || !extracted.ok) state.SkipWithError("job failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) * 2);
  std::remove((dir + "/c.zrm").c_str());
  std::remove((dir + "/source").c_str());
  std::remove((dir + "/part.bin").c_str());
  rmdir(dir.c_str());
}
BENCHMARK(BM_AddAndExtractOnePart)->Arg(64 << 10)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// state.range(0) small parts in one AddParts call.
void BM_AddManySmallParts(benchmark::State& state) {
  const std::string dir = makeWorkDirectory();
  writeNoise(dir + "/source", 200);
  const String container = String::FromNarrow(dir + "/c.zrm");
  const String source = String::FromNarrow(dir + "/source");
  for (auto _ : state) {
    std::remove((dir + "/c.zrm").c_str());
    auto added = containerproxy::addParts(
        container, static_cast<int>(state.range(0)), [&](int i, PartSource* out, String*) {
          *out = {source, String::FromNarrow("part-" + std::to_string(i)), "text"};
          return true;
        });
    if (!added.ok) state.SkipWithError(added.message.GetNarrow());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  std::remove((dir + "/c.zrm").c_str());
  std::remove((dir + "/source").c_str());
  rmdir(dir.c_str());
}
BENCHMARK(BM_AddManySmallParts)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Cost of EDA_* round trips (C -> Java client -> C) once the VM is running. The first call,
// which starts the VM, is timed once in main() and reported separately.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ecadbridge/eda.h"

namespace {

int gMessages = 0;

void countMessage(const char*, const char* text, void*) {
  ++gMessages;
  std::fprintf(stderr, "log: %s\n", text);
}

void checkQuiet(benchmark::State& state) {
  if (gMessages != 0) state.SkipWithError("the bridge reported a failure");
}

void BM_EdaSave(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EDA_save("board.brd", "item-0001"));
  checkQuiet(state);
}
BENCHMARK(BM_EdaSave);

void BM_EdaSyncLibrary(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EDA_syncLibrary(2, "lib", "parts", "/tmp/x"));
  checkQuiet(state);
}
BENCHMARK(BM_EdaSyncLibrary);

void BM_EdaGetStagingDir(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(EDA_getStagingDir("project"));
  checkQuiet(state);
}
BENCHMARK(BM_EdaGetStagingDir);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // A self-contained installation: the client jar on CLASSPATH, an empty root with the client's
  // properties, no DXS_HOME jars. The client writes no journal or status documents unless
  // JAVA_TOOL_OPTIONS asks for them, so the figures are those of the bridge and the VM.
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("ecadbridge-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(root / "jar");
  std::FILE* properties = std::fopen((root / "MVEDAClient.properties").c_str(), "w");
  if (properties != nullptr) {
    std::fputs("stagingDir=/tmp/staging\n", properties);
    std::fclose(properties);
  }
  setenv("CLASSPATH", CLIENT_JAR, 1);
  setenv("MVEDAECAD_ROOT", root.c_str(), 1);
  setenv("DXS_HOME", root.c_str(), 1);
  ecadbridge_setMessageHandler(countMessage, nullptr);

  const auto start = std::chrono::steady_clock::now();
  const int first = EDA_save("board.brd", "item-0000");
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::fprintf(stderr, "first EDA_save (starts the VM): %.1f ms, result %d\n",
               std::chrono::duration<double, std::milli>(elapsed).count(), first);
  if (first != 1) return 1;

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return gMessages == 0 ? 0 : 1;
}

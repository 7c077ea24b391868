// Saving and loading a generated library file, against Xerces merely parsing the same file (as a
// stream of SAX2 events, and into a DOM). Run one benchmark per process (--benchmark_filter) to
// read its peak memory; the file a benchmark reads is written by a child process, so the library
// built for it does not count.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "library/eda_library.h"
#include "platform/files.h"
#include "syncmap/xerces_support.h"

namespace {

std::string benchFile(int items) {
  return platform::joinPath(
      platform::tempDirectory(),
      "library_xml_bench_" + std::to_string(getpid()) + "_" + std::to_string(items) + ".xml");
}

// Items of three types with five attributes each (one with a unit, one a reference to the
// previous item), one relation each to a shared footprint.
void buildLibrary(EDALibrary* library, int count) {
  library->setName("Bench");
  EDAGde* footprint = library->createGde("R_0603", "Footprint");
  const char* types[] = {"Resistor", "Capacitor", "IC"};
  EDAItem* previous = nullptr;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    EDAItem* item = library->createItem("P-" + n, "Part " + n, types[i % 3]);
    item->setCategory(types[i % 3]);
    item->setReleaseStatus("Released");
    item->setRevision("A");
    EDAAttribute* value = item->getOrCreateAttribute("Value");
    value->setValue(n);
    value->setUnit("kOhm");
    item->getOrCreateAttribute("Tolerance")->setValue("1%");
    item->getOrCreateAttribute("Package")->setValue("0603");
    item->getOrCreateAttribute("Manufacturer")->setValue("Yageo & Co");
    EDAAttribute* alternate = item->getOrCreateAttribute("Alternate");
    alternate->setType("Reference");
    alternate->setValue(previous != nullptr ? previous->getElemId() : "");
    item->addRelation("view", footprint);
    previous = item;
  }
}

double peakMegabytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Pages this process touched for the first time so far: each costs a trip to the kernel.
long minorFaults() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

long fileBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return -1;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return size;
}

// Writes the file once per size, for the load and parse benchmarks; removed at exit.
class PreparedFiles {
 public:
  ~PreparedFiles() {
    for (const auto& entry : paths_) std::remove(entry.second.c_str());
  }
  const std::string& get(int items) {
    std::string& path = paths_[items];
    if (path.empty()) {
      path = benchFile(items);
      const pid_t child = fork();
      if (child == 0) {
        EDALibrary library;
        buildLibrary(&library, items);
        _exit(library.save(path.c_str()) ? 0 : 1);
      }
      int status = 0;
      if (child < 0 || waitpid(child, &status, 0) != child || status != 0) path.clear();
    }
    return path;
  }

 private:
  std::map<int, std::string> paths_;
};

const std::string& preparedFile(int items) {
  static PreparedFiles files;
  return files.get(items);
}

void BM_SaveLibrary(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  EDALibrary library;
  buildLibrary(&library, items);
  const std::string path = benchFile(items) + ".save";
  for (auto _ : state) {
    if (!library.save(path.c_str())) state.SkipWithError(library.getLastError().c_str());
  }
  state.counters["file_MB"] = fileBytes(path) / 1048576.0;
  state.counters["peak_rss_MB"] = peakMegabytes();
  std::remove(path.c_str());
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One load of the file into a fresh library; its seconds, the library's teardown left out.
// Negative when the load failed.
double loadOnce(benchmark::State& state, const std::string& path) {
  const Clock::time_point start = Clock::now();
  auto library = std::make_unique<EDALibrary>();
  const bool loaded = library->load(path.c_str());
  benchmark::DoNotOptimize(library->countObjects("EDAItem"));
  const double seconds = secondsSince(start);
  if (!loaded) state.SkipWithError(library->getLastError().c_str());
  state.PauseTiming();
  library.reset();
  state.ResumeTiming();
  return loaded ? seconds : -1;
}

// One parse of the file by the same parser settings, its events going nowhere; its seconds, or
// negative when the parse failed.
double parseSaxOnce(benchmark::State& state, const std::string& path) {
  const Clock::time_point start = Clock::now();
  XercesSession session;
  SafeSaxReader parser;
  XERCES_CPP_NAMESPACE::DefaultHandler nothing;
  const std::string noStop;
  std::string reason;
  const bool parsed = parser.parseFile(path.c_str(), &nothing, &noStop, &reason);
  const double seconds = secondsSince(start);
  if (!parsed) state.SkipWithError(reason.c_str());
  return parsed ? seconds : -1;
}

void BM_LoadLibrary(benchmark::State& state) {
  const std::string& path = preparedFile(static_cast<int>(state.range(0)));
  const long faultsBefore = minorFaults();
  for (auto _ : state) loadOnce(state, path);
  state.counters["faults_per_load"] = benchmark::Counter(
      static_cast<double>(minorFaults() - faultsBefore), benchmark::Counter::kAvgIterations);
  state.counters["file_MB"] = fileBytes(path) / 1048576.0;
  state.counters["peak_rss_MB"] = peakMegabytes();
}

void BM_ParseSaxOnly(benchmark::State& state) {
  const std::string& path = preparedFile(static_cast<int>(state.range(0)));
  for (auto _ : state) parseSaxOnce(state, path);
  state.counters["peak_rss_MB"] = peakMegabytes();
}

double medianOf(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The load against the bare parse, timed in pairs one right after the other (taking turns at
// going first), so that a machine whose speed drifts slows both sides of a pair alike. Reports
// the load's time and the median of the pairs' ratios, and the pages the loads touched for the
// first time: the allocator may hand a destroyed library's memory back to the system, and the
// next load pays for taking it again.
void BM_LoadOverParse(benchmark::State& state) {
  const std::string& path = preparedFile(static_cast<int>(state.range(0)));
  std::vector<double> ratios, loads, parses;
  long loadFaults = 0;
  const auto timedLoad = [&state, &path, &loadFaults]() {
    const long faultsBefore = minorFaults();
    const double seconds = loadOnce(state, path);
    loadFaults += minorFaults() - faultsBefore;
    return seconds;
  };
  for (auto _ : state) {
    const bool loadFirst = ratios.size() % 2 == 0;
    const double first = loadFirst ? timedLoad() : parseSaxOnce(state, path);
    const double second = loadFirst ? parseSaxOnce(state, path) : timedLoad();
    if (first < 0 || second < 0) return;
    const double load = loadFirst ? first : second;
    const double parse = loadFirst ? second : first;
    state.SetIterationTime(load);
    ratios.push_back(load / parse);
    loads.push_back(load * 1000);
    parses.push_back(parse * 1000);
  }
  state.counters["load_ms"] = medianOf(loads);
  state.counters["parse_ms"] = medianOf(parses);
  state.counters["load_over_parse"] = medianOf(ratios);
  state.counters["faults_per_load"] =
      benchmark::Counter(static_cast<double>(loadFaults), benchmark::Counter::kAvgIterations);
}

void BM_ParseDomOnly(benchmark::State& state) {
  const std::string& path = preparedFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    XercesSession session;
    SafeDomParser parser;
    std::string reason;
    if (!parser.parseFile(path.c_str(), &reason)) state.SkipWithError(reason.c_str());
    benchmark::DoNotOptimize(parser.document());
  }
  state.counters["peak_rss_MB"] = peakMegabytes();
}

}  // namespace

BENCHMARK(BM_SaveLibrary)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLibrary)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSaxOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseDomOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOverParse)
    ->Arg(100000)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

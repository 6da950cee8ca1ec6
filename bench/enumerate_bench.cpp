// Enumerating users and groups through the dispatch layer against the
// simulated controller, in the fixed 255-byte batches the classes ask for.
// The array grows without copying earlier names, so the time per name stays
// flat as the list grows: the fitted complexity should read O(N), and the
// last lines give each size's CPU time per name over the smallest size's
// (goal: within 1.2 at 30,000 names).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "automation/string_array.h"
#include "automation/text.h"
#include "common/event_log.h"
#include "domain/class_factory.h"
#include "netapi/simulated/demo_domain.h"

namespace {

using corvane::automation::ObjectRef;
using corvane::netapi::simulated::SimulatedController;

void Enumerate(benchmark::State& state, bool groups) {
  SimulatedController controller;
  controller.journal().set_recording(false);
  auto& directory = corvane::netapi::simulated::SeedDemoDomain(controller);
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    const std::u16string name =
        corvane::automation::Widen("account" + std::to_string(i));
    if (groups) {
      directory.groups().push_back({name, u"", {}, {}});
    } else {
      corvane::netapi::simulated::Account account;
      account.name = name;
      directory.users().push_back(account);
    }
  }
  corvane::common::MemoryEventSink events;
  const corvane::ClassFactory factory({controller, events});
  ObjectRef domain = factory.CreateObject(u"Corvane.NTDomain");
  corvane::automation::Put(*domain, u"sDomain", u"CORVANE");
  ObjectRef target =
      corvane::automation::Get(*domain, groups ? u"Groups" : u"Users")
          .As<ObjectRef>();

  for (auto _ : state) {
    auto list = std::make_shared<corvane::automation::StringArray>();
    corvane::automation::Call(*target, u"Enumerate", {list});
    benchmark::DoNotOptimize(list->size());
  }
  state.SetComplexityN(state.range(0));
  state.counters["names/s"] =
      benchmark::Counter(static_cast<double>(state.range(0)),
                         benchmark::Counter::kIsIterationInvariantRate);
}

void BM_EnumerateUsers(benchmark::State& state) { Enumerate(state, false); }
void BM_EnumerateGroups(benchmark::State& state) { Enumerate(state, true); }

void NamedSizes(benchmark::internal::Benchmark* benchmark) {
  for (const int names : {1875, 3750, 7500, 15000, 30000}) {
    benchmark->Arg(names);
  }
}

// Sizes named exactly: Range() would round to powers of two (16,384).
BENCHMARK(BM_EnumerateUsers)
    ->Apply(NamedSizes)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_EnumerateGroups)
    ->Apply(NamedSizes)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The console's table, then each listing's CPU time per name at each size
// (the median of the repetitions) over its time per name at the smallest
// size.
class PerNameRatios : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const std::string name = run.benchmark_name();
      const auto slash = name.find('/');
      if (slash == std::string::npos) continue;
      const double names = std::stod(name.substr(slash + 1));
      per_name_[name.substr(0, slash)][names].push_back(
          run.GetAdjustedCPUTime() / names);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (auto& [listing, sizes] : per_name_) {
      const double smallest = Median(sizes.begin()->second);
      for (auto& [names, times] : sizes) {
        std::printf("%s: %.0f names, CPU time per name %.2fx that at %.0f\n",
                    listing.c_str(), names, Median(times) / smallest,
                    sizes.begin()->first);
      }
    }
  }

 private:
  static double Median(std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  // Listing, size, the time per name of each repetition.
  std::map<std::string, std::map<double, std::vector<double>>> per_name_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  PerNameRatios reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

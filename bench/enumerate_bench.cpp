// Enumerating users and groups through the dispatch layer against the
// simulated controller, in the fixed 255-byte batches the classes ask for.
// The array grows without copying earlier names, so the time per name stays
// flat as the list grows: the fitted complexity should read O(N).
#include <benchmark/benchmark.h>

#include <string>

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

}  // namespace

BENCHMARK_MAIN();

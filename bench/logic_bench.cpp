// The pass's own work, beyond the platform's: a whole pass over N entries
// against the in-memory platform, whose every call is nearly free.
#include <benchmark/benchmark.h>

#include <string>

#include "app/frm_trevanil.h"
#include "fake_platform.h"
#include "install/progress.h"

namespace trevanil {
namespace {

void BM_Pass(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        fake::FakePlatform p;
        p.list1.items.clear();
        for (int i = 0; i < n; ++i) {
            const std::string name = "c" + std::to_string(i) + ".ocx";
            p.list1.items.push_back(name);
            p.files[p.appFolder + "\\" + name] = "MZ";
            p.modules[p.env["WINDIR"] + "\\System\\" + name] = {{"DllRegisterServer", 0}};
        }
        const CopyRecord copies;
        const RegisteredFile registered{p, copies};
        FrmTrevanil frm{p, p, p, WindowsFolders(p.env["WINDIR"]), registered};
        state.ResumeTiming();
        frm.Timer2_Timer();
        benchmark::DoNotOptimize(p.journal.size());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Pass)->Arg(5)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_ProgressValue(benchmark::State& state) {
    std::int32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(progressValue(Phase::registration, i, 4, 5));
        i = (i + 1) & 3;
    }
}
BENCHMARK(BM_ProgressValue);

}  // namespace
}  // namespace trevanil

BENCHMARK_MAIN();

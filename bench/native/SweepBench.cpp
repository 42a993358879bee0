// One sweep over N windows and 250 rules that never match, against the floor no sweep
// can beat: enumerating the same windows and reading each title once. On the in-memory
// desktop a title read costs a few nanoseconds instead of a cross-process call, so the
// ratio printed here shows the comparisons' weight at its most visible.
#include "bench/native/BenchDesktop.h"
#include "platform/FakeDesktop.h"
#include "rules/Sweep.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

long floorBytes;

BOOL CALLBACK FloorEnumProc(HWND window, LPARAM)
{
    char title[titleSize];
    floorBytes += ReadWindowTitle(window, title, titleSize);
    benchmark::DoNotOptimize(title);
    return TRUE;
}

bool SetUpDesktop(benchmark::State& state)
{
    FakeReset();
    bench::LoadBenchRules();
    for (int i = 0; i < state.range(0); ++i) {
        std::string text = bench::WindowTitleFor(i);
        WindowTitle title;
        ReadTitle(FakeAddWindow(text), title);
        if (bench::AnyRuleMatches(title)) {
            state.SkipWithError(("a rule matches " + text).c_str());
            return false;
        }
    }
    return true;
}

void BM_Floor(benchmark::State& state)
{
    if (!SetUpDesktop(state))
        return;
    for (auto _ : state)
        EnumTopWindows(FloorEnumProc);
    benchmark::DoNotOptimize(floorBytes);
    state.counters["windows"] = static_cast<double>(state.range(0));
}

void BM_Sweep(benchmark::State& state)
{
    if (!SetUpDesktop(state))
        return;
    for (auto _ : state)
        Sweep();
    if (!FakeCloseLog().empty())
        state.SkipWithError("the sweep sent close requests");
    state.counters["windows"] = static_cast<double>(state.range(0));
    state.counters["comparisons"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * (lastRule + 1), benchmark::Counter::kIsIterationInvariantRate,
        benchmark::Counter::kIs1000);
}

BENCHMARK(BM_Floor)->Arg(30)->Arg(300)->Arg(1000);
BENCHMARK(BM_Sweep)->Arg(30)->Arg(300)->Arg(1000);

// Prints the usual table, then one ratio line per window count.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            std::string name = run.benchmark_name();
            std::string::size_type slash = name.find('/');
            if (slash == std::string::npos)
                continue;
            times[std::stol(name.substr(slash + 1))][name.substr(0, slash)] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        std::fflush(stdout);
        if (times.empty())
            return;
        std::printf("\n");
        for (const auto& entry : times) {
            auto floor = entry.second.find("BM_Floor");
            auto sweep = entry.second.find("BM_Sweep");
            if (floor == entry.second.end() || sweep == entry.second.end() || floor->second <= 0)
                continue;
            std::printf("windows=%ld rules=%d floor=%.0f ns sweep=%.0f ns ratio sweep/floor=%.2f\n",
                        entry.first, lastRule + 1, floor->second, sweep->second,
                        sweep->second / floor->second);
        }
    }

private:
    std::map<long, std::map<std::string, double>> times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}

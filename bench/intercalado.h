#pragma once
// Runs the benchmarks asked for on the command line with their runs in
// random order, so that a machine busy with something else weighs on each
// case and its reference alike; results go to 'informe'. Returns main's
// exit status.

#include <benchmark/benchmark.h>

#include <vector>

inline int CorrerIntercalado(int argc, char **argv, benchmark::BenchmarkReporter &informe)
{
    std::vector<char *> args(argv, argv + argc);
    char intercalar[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, intercalar);
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks(&informe);
    benchmark::Shutdown();
    return 0;
}

#pragma once
// Timing for the benchmarks: wall time and processor time of this process
// or of a program it runs, medians of repeated runs, peak memory. On a
// machine shared with other work the processor time is the steadier
// figure; both are printed.

#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <vector>

struct Tempo {
    double parede = 0;    // wall, ms
    double processo = 0;  // processor (user + system), ms
};

// Processor time of this process so far, ms.
double processorMs();

// Measures `f` in this process.
template <typename F>
Tempo mede(F f)
{
    Tempo t;
    const double cpu0 = processorMs();
    const auto w0 = std::chrono::steady_clock::now();
    f();
    t.parede = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count();
    t.processo = processorMs() - cpu0;
    return t;
}

// Runs a program with standard input from `inputFile` (or /dev/null when
// empty) and its output thrown away; `env` entries ("NAME=value") are
// added to this process's environment. Returns its times, or a negative
// wall time when it could not run or ended with a non-zero status.
Tempo executa(const QStringList &argv, const QString &inputFile = QString(), const QStringList &env = {});

// Median of each figure over repeated runs.
Tempo mediana(std::vector<Tempo> v);

// Peak resident memory of this process so far, KiB.
long picoMemoriaKb();

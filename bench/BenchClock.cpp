#include "BenchClock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

double processorMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

Tempo executa(const QStringList &argv, const QString &inputFile, const QStringList &env)
{
    Tempo t;
    t.parede = -1;
    std::vector<QByteArray> args, vars;
    for (const QString &a : argv)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> cargv;
    for (QByteArray &a : args)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    for (char **e = environ; *e; ++e)
        vars.emplace_back(*e);
    for (const QString &e : env)
        vars.push_back(e.toLocal8Bit());
    std::vector<char *> cenv;
    for (QByteArray &e : vars)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    const QByteArray in = inputFile.isEmpty() ? QByteArray("/dev/null") : inputFile.toLocal8Bit();
    posix_spawn_file_actions_addopen(&fa, 0, in.constData(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    const auto w0 = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, cargv[0], &fa, nullptr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        return t;
    int status = 0;
    rusage ru{};
    while (wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
    }
    const double parede = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return t;
    t.parede = parede;
    t.processo = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3
                 + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
    return t;
}

Tempo mediana(std::vector<Tempo> v)
{
    Tempo m;
    if (v.empty())
        return m;
    std::sort(v.begin(), v.end(), [](const Tempo &a, const Tempo &b) { return a.parede < b.parede; });
    m.parede = v[v.size() / 2].parede;
    std::sort(v.begin(), v.end(), [](const Tempo &a, const Tempo &b) { return a.processo < b.processo; });
    m.processo = v[v.size() / 2].processo;
    return m;
}

long picoMemoriaKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

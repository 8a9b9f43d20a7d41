// bench_model [N...]: for each host count N (default 5000 and 50000) writes a
// generated configuration and measures, in a child process of its own, the
// model's read (including the normalisation of the file), write to memory,
// write to disk, serialise and deserialise times and the peak memory.
#include "ConfigGenerator.h"
#include "model/ConfigFile.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRepeats = 3;

// Median wall time of `repeats` runs of `step` in milliseconds; `prepare`
// runs before each, untimed.
double medianMs(const std::function<void()>& prepare, const std::function<void()>& step)
{
    std::vector<double> ms;
    for (int i = 0; i < kRepeats; ++i) {
        prepare();
        const auto t0 = Clock::now();
        step();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int measure(std::size_t hosts, const fs::path& dir)
{
    const fs::path original = dir / ("hosts-" + std::to_string(hosts) + ".conf");
    const fs::path work = dir / "WorkArea" / "httpd.conf";
    fs::create_directories(work.parent_path());
    if (!corvanebench::ConfigGenerator(dir.string()).writeFile(hosts, original.string())) {
        std::fprintf(stderr, "bench_model: cannot write %s\n", original.c_str());
        return 1;
    }
    const auto fileBytes = fs::file_size(original);
    const long baseKiB = peakKiB();

    corvane::ConfigFile cf(dir.string());
    cf.SetFileName(work.string());
    auto fresh = [&] { fs::copy_file(original, work, fs::copy_options::overwrite_existing); };
    bool ok = true;
    const double readMs = medianMs(fresh, [&] { ok = cf.ReadFile() && ok; });
    const long afterReadKiB = peakKiB();
    std::string text;
    const double writeMemMs = medianMs([] {}, [&] { text = cf.WriteToString(); });
    const double writeDiskMs = medianMs([] {}, [&] { ok = cf.WriteFile() && ok; });
    std::string snapshot;
    const double serialiseMs = medianMs([] {}, [&] { snapshot = cf.SerializeToBytes(); });
    double deserialiseMs = 0;
    {
        corvane::ConfigFile copy(dir.string());
        copy.SetFileName(work.string());
        deserialiseMs = medianMs([] {}, [&] { ok = copy.DeSerializeFromBytes(snapshot) && ok; });
        ok = ok && copy.WriteToString() == text;
    }
    const long peak = peakKiB();

    std::printf("hosts %zu: %d lines, file %.2f MB, rewrite %.2f MB, snapshot %.2f MB%s\n", hosts,
                cf.GetDirectiveCount(), fileBytes / 1e6, text.size() / 1e6, snapshot.size() / 1e6,
                ok ? "" : "  [FAILED: a step returned false or the snapshot round trip differs]");
    std::printf("  read (with normalisation) %8.1f ms\n", readMs);
    std::printf("  write to memory           %8.1f ms\n", writeMemMs);
    std::printf("  write to disk (atomic)    %8.1f ms\n", writeDiskMs);
    std::printf("  serialise                 %8.1f ms\n", serialiseMs);
    std::printf("  deserialise               %8.1f ms\n", deserialiseMs);
    std::printf(
        "  peak memory %.1f MB (%.1f x file size; %.1f MB before reading, %.1f MB after the first read)\n",
        peak / 1024.0, peak * 1024.0 / fileBytes, baseKiB / 1024.0, afterReadKiB / 1024.0);
    std::fflush(stdout);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::strtoull(argv[i], nullptr, 10));
    if (counts.empty())
        counts = {5000, 50000};

    char tmpl[] = "/tmp/corvane-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("bench_model: mkdtemp");
        return 1;
    }
    const fs::path dir = tmpl;
    int status = 0;
    for (std::size_t hosts : counts) {
        // One process per size, so each peak memory figure is its own.
        const pid_t pid = fork();
        if (pid == 0)
            _exit(measure(hosts, dir / std::to_string(hosts)) ? 1 : 0);
        int st = 0;
        waitpid(pid, &st, 0);
        if (!WIFEXITED(st) || WEXITSTATUS(st) != 0)
            status = 1;
    }
    fs::remove_all(dir);
    return status;
}

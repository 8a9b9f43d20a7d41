#pragma once
// What the console benchmarks share: the CPU time of the calling thread,
// wall/CPU samples with their median and spread, and a generated server of
// many virtual hosts registered in an application folder.
#include "registry/AppFolder.h"
#include "registry/Servers.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace corvanebench {

// CPU time of this thread: what a run costs without the other processes of
// a shared machine.
inline double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Wall and CPU milliseconds of a series of runs.
struct Times
{
    std::vector<double> wall, cpu;
    void add(double w, double c)
    {
        wall.push_back(w);
        cpu.push_back(c);
    }
    static double median(std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
    double medianWall() const { return median(wall); }
    double medianCpu() const { return median(cpu); }
    // Wall time counts the waits of a shared machine too; CPU time is what
    // the measured step itself costs.
    void print(const char* what) const
    {
        std::vector<double> w = wall, c = cpu;
        std::sort(w.begin(), w.end());
        std::sort(c.begin(), c.end());
        if (w.empty())
            return;
        std::printf("%s:\n  wall median %.1f ms (fastest %.1f, slowest %.1f)\n"
                    "  cpu  median %.1f ms (fastest %.1f, slowest %.1f)\n",
                    what, w[w.size() / 2], w.front(), w.back(), c[c.size() / 2], c.front(), c.back());
    }
};

// A configuration of `hosts` virtual hosts, each with a Directory and a
// Files section; half of them are named by their ServerName alone.
inline QByteArray bigConfig(int hosts)
{
    QByteArray out = "ServerRoot /etc/apache2\nListen 80\nServerName main.example.org\n"
                     "<Directory />\nOptions None\n</Directory>\n";
    for (int i = 0; i < hosts; ++i) {
        const QByteArray n = QByteArray::number(i);
        out += (i % 2 ? "<VirtualHost *>\n"
                      : "<VirtualHost 10.0." + QByteArray::number(i / 250) + "." +
                            QByteArray::number(i % 250) + ":80>\n");
        out += "ServerName host" + n + ".example.org\nDocumentRoot /var/www/host" + n + "\n";
        out += "<Directory /var/www/host" + n + ">\nOptions None\n</Directory>\n";
        out += "<Files secret" + n + ".txt>\nOptions None\n</Files>\n</VirtualHost>\n";
    }
    return out;
}

// Registers a local server whose working copy holds `config`.
inline bool registerServer(const corvane::AppFolder& folder, const std::string& name,
                           const QByteArray& config, const std::string& version = {})
{
    QDir().mkpath(folder.workAreaFolder(name));
    QFile f(folder.workingCopyPath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(config) != config.size())
        return false;
    f.close();
    corvane::Servers servers(folder);
    servers.WriteDataToInI(name, "SERVER_NAME", name);
    servers.WriteDataToInI(name, "CONNECT_TYPE", "0");
    if (!version.empty())
        servers.WriteDataToInI(name, "APACHE_VERSION", version);
    return true;
}

} // namespace corvanebench

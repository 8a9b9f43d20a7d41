#include "transfer/UnifiedDiff.h"

#include "transfer/ServerWorkArea.h"

#include <QFile>

#include <algorithm>

namespace corvane {

namespace {

// Beyond this many differences the middle part is shown as removed and added
// whole instead of searching further (memory grows with its square).
constexpr int kMaxDistance = 2000;

} // namespace

std::vector<QByteArray> UnifiedDiff::splitLines(const QByteArray& text)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        qsizetype len = end - start;
        if (!last && len > 0 && text[end - 1] == '\r')
            --len;
        lines.push_back(text.mid(start, len));
        start = end + 1;
    }
    return lines;
}

std::vector<UnifiedDiff::Edit> UnifiedDiff::diffLines(const std::vector<QByteArray>& a,
                                                      const std::vector<QByteArray>& b)
{
    const int n = int(a.size()), m = int(b.size());
    std::vector<Edit> script;
    // Common head and tail need no search.
    int head = 0;
    while (head < n && head < m && a[head] == b[head])
        ++head;
    int tail = 0;
    while (tail < n - head && tail < m - head && a[n - 1 - tail] == b[m - 1 - tail])
        ++tail;
    for (int i = 0; i < head; ++i)
        script.push_back({Op::Equal, i, i});

    const int n1 = n - head - tail, m1 = m - head - tail;
    std::vector<Edit> middle;
    auto sameAt = [&](int x, int y) { return a[head + x] == b[head + y]; };
    // Myers: V[k] is the furthest x on diagonal k; keep each round's V to walk back.
    const int maxD = std::min(n1 + m1, kMaxDistance);
    const int offset = maxD + 1;
    std::vector<std::vector<int>> trace;
    std::vector<int> v(2 * offset + 1, 0);
    int found = -1;
    for (int d = 0; d <= maxD && found < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n1 && y < m1 && sameAt(x, y)) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= n1 && y >= m1) {
                found = d;
                break;
            }
        }
        trace.push_back(std::vector<int>(v.begin() + offset - d, v.begin() + offset + d + 1));
    }
    if (found < 0) {
        for (int i = 0; i < n1; ++i)
            middle.push_back({Op::Delete, head + i, head});
        for (int j = 0; j < m1; ++j)
            middle.push_back({Op::Insert, head + n1, head + j});
    } else {
        int x = n1, y = m1;
        for (int d = found; d > 0; --d) {
            const std::vector<int>& prev = trace[d - 1]; // indices -(d-1)..(d-1)
            auto at = [&](int k) { return prev[k + d - 1]; };
            const int k = x - y;
            const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
            const int prevK = down ? k + 1 : k - 1;
            const int prevX = at(prevK), prevY = prevX - prevK;
            while (x > prevX + (down ? 0 : 1) && y > prevY + (down ? 1 : 0)) {
                --x;
                --y;
                middle.push_back({Op::Equal, head + x, head + y});
            }
            if (down) {
                --y;
                middle.push_back({Op::Insert, head + x, head + y});
            } else {
                --x;
                middle.push_back({Op::Delete, head + x, head + y});
            }
        }
        while (x > 0 && y > 0) {
            --x;
            --y;
            middle.push_back({Op::Equal, head + x, head + y});
        }
        std::reverse(middle.begin(), middle.end());
    }
    script.insert(script.end(), middle.begin(), middle.end());
    for (int i = 0; i < tail; ++i)
        script.push_back({Op::Equal, n - tail + i, m - tail + i});
    return script;
}

QByteArray UnifiedDiff::diff(const QByteArray& oldText, const QByteArray& newText, const QString& oldName,
                             const QString& newName, int context)
{
    const std::vector<QByteArray> a = splitLines(oldText), b = splitLines(newText);
    const std::vector<Edit> script = diffLines(a, b);
    const int count = int(script.size());
    QByteArray out;
    int i = 0;
    while (i < count) {
        // The next change, and the hunk around it: changes closer than
        // 2 * context lines share one hunk.
        while (i < count && script[i].op == Op::Equal)
            ++i;
        if (i >= count)
            break;
        const int first = std::max(0, i - context);
        int last = i;
        int j = i;
        while (j < count) {
            if (script[j].op != Op::Equal) {
                last = j;
                ++j;
                continue;
            }
            int run = j;
            while (run < count && script[run].op == Op::Equal)
                ++run;
            if (run >= count || run - j > 2 * context)
                break;
            j = run;
        }
        const int end = std::min(count, last + 1 + context);
        int oldStart = -1, newStart = -1, oldCount = 0, newCount = 0;
        QByteArray body;
        for (int e = first; e < end; ++e) {
            const Edit& ed = script[e];
            if (oldStart < 0)
                oldStart = ed.oldLine;
            if (newStart < 0)
                newStart = ed.newLine;
            switch (ed.op) {
            case Op::Equal:
                body += ' ' + a[ed.oldLine] + '\n';
                ++oldCount;
                ++newCount;
                break;
            case Op::Delete:
                body += '-' + a[ed.oldLine] + '\n';
                ++oldCount;
                break;
            case Op::Insert:
                body += '+' + b[ed.newLine] + '\n';
                ++newCount;
                break;
            }
        }
        // A range of no lines names the line before it.
        const int oldShown = oldCount ? oldStart + 1 : oldStart;
        const int newShown = newCount ? newStart + 1 : newStart;
        if (out.isEmpty())
            out += "--- " + oldName.toUtf8() + "\n+++ " + newName.toUtf8() + '\n';
        out += "@@ -" + QByteArray::number(oldShown) + ',' + QByteArray::number(oldCount) + " +" +
               QByteArray::number(newShown) + ',' + QByteArray::number(newCount) + " @@\n";
        out += body;
        i = end;
    }
    return out;
}

QByteArray UnifiedDiff::diffFiles(const QString& oldPath, const QString& newPath, const QString& oldName,
                                  const QString& newName, int context)
{
    auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    return diff(read(oldPath), read(newPath), oldName, newName, context);
}

QByteArray UnifiedDiff::diffTree(const ServerWorkArea& area, const QString& serverName, int context)
{
    const TreeManifest manifest = area.manifest();
    const QString server = serverName.trimmed();
    if (!manifest.isSplit())
        return diffFiles(area.backupFile(), area.workingCopy(), server + QStringLiteral("/Backup/httpd.conf"),
                         server + QStringLiteral("/WorkArea/httpd.conf"), context);
    QByteArray out;
    for (const TreeEntry& e : area.changedFiles(manifest)) {
        const QString path = QString::fromStdString(e.serverPath);
        out += diffFiles(area.serverCopy(e), area.workFile(e), path + QStringLiteral("\t(server)"),
                         path + QStringLiteral("\t(working copy)"), context);
    }
    return out;
}

QByteArray UnifiedDiff::lineMarks(const QByteArray& oldText, const QByteArray& newText)
{
    const std::vector<QByteArray> newLines = splitLines(newText);
    QByteArray marks(qsizetype(newLines.size()), ' ');
    const std::vector<Edit> script = diffLines(splitLines(oldText), newLines);
    // Within each run of changes, as many added lines as were removed count
    // as changed; the rest are new.
    std::size_t i = 0;
    while (i < script.size()) {
        if (script[i].op == Op::Equal) {
            ++i;
            continue;
        }
        const std::size_t runBegin = i;
        int removed = 0;
        for (; i < script.size() && script[i].op != Op::Equal; ++i)
            removed += script[i].op == Op::Delete ? 1 : 0;
        for (std::size_t j = runBegin; j < i; ++j) {
            const int line = script[j].newLine;
            if (script[j].op != Op::Insert || line < 0 || line >= marks.size())
                continue;
            marks[line] = removed > 0 ? '~' : '+';
            removed = std::max(0, removed - 1);
        }
    }
    return marks;
}

namespace {

bool readAll(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return true;
}

} // namespace

QByteArray UnifiedDiff::workingCopyMarks(const ServerWorkArea& area, const std::string& serverPath)
{
    if (!area.isValid())
        return {};
    const TreeManifest manifest = area.manifest();
    QString work, server;
    if (!manifest.isSplit()) {
        if (!serverPath.empty() &&
            (manifest.files.empty() || manifest.files.front().serverPath != serverPath))
            return {};
        work = area.workingCopy();
        server = area.backupFile();
    } else {
        const TreeEntry* entry = serverPath.empty() ? &manifest.files.front() : manifest.find(serverPath);
        if (!entry)
            return {};
        work = area.workFile(*entry);
        server = area.serverCopy(*entry);
    }
    QByteArray oldText, newText;
    if (!readAll(server, oldText) || !readAll(work, newText))
        return {};
    return lineMarks(oldText, newText);
}

} // namespace corvane

#pragma once
// A unified diff of two texts, line by line (Myers' algorithm), as shown
// before an upload: what the working copy changes against the file as last
// fetched. Line ends do not count: a file fetched with LF and rewritten with
// CR LF shows only the lines that really changed.
#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace corvane {

class ServerWorkArea;

class UnifiedDiff
{
public:
    enum class Op
    {
        Equal,
        Delete,
        Insert
    };
    struct Edit
    {
        Op op;
        int oldLine; // 0-based index in the old text (Equal, Delete)
        int newLine; // 0-based index in the new text (Equal, Insert)
    };

    // The edit script that turns `oldLines` into `newLines`, shortest first.
    static std::vector<Edit> diffLines(const std::vector<QByteArray>& oldLines,
                                       const std::vector<QByteArray>& newLines);
    // Splits at LF and drops one CR before it; a last line without a line end counts.
    static std::vector<QByteArray> splitLines(const QByteArray& text);
    // "--- oldName", "+++ newName" and the hunks with `context` lines around
    // each change; "" when the texts have the same lines.
    static QByteArray diff(const QByteArray& oldText, const QByteArray& newText, const QString& oldName,
                           const QString& newName, int context = 3);
    // The same for two files; a missing file counts as empty.
    static QByteArray diffFiles(const QString& oldPath, const QString& newPath, const QString& oldName,
                                const QString& newName, int context = 3);
    // What a server's working copy changes, one diff per changed file: for a
    // split configuration each headed by the file's server path and compared
    // with what the server has; otherwise httpd.conf against the file as last
    // fetched, named <server>/Backup/httpd.conf and <server>/WorkArea/httpd.conf.
    static QByteArray diffTree(const ServerWorkArea& area, const QString& serverName, int context = 3);

    // One byte per line of `newText`: ' ' a line kept, '+' a line added, '~'
    // a line changed (an added line standing where lines were removed).
    static QByteArray lineMarks(const QByteArray& oldText, const QByteArray& newText);
    // The marks of one file of a server's working copy (by server path, ""
    // for the main file of a configuration that is not split) against the
    // copy Show Changes compares it with. "" when there is no such copy (a
    // server never fetched) or the file is not one of the work area's.
    static QByteArray workingCopyMarks(const ServerWorkArea& area, const std::string& serverPath);
};

} // namespace corvane

#pragma once
// Property pages on a temporary application folder: the catalogue and the
// Sample server installed as at first start, servers registered with a
// working copy and its snapshot, and a real property sheet holding the real
// pages, opened for a node as the console opens it.
#include "host/PageFactory.h"
#include "host/PropertySheet.h"

#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class QDialog;

namespace corvane::test {

class PageFixture
{
public:
    PageFixture();

    const QString& appDir() const { return m_appDir; }
    bool isValid() const { return m_valid; }

    // Registers a server (registry section with the version, OS and connection
    // type) with a working copy read and snapshotted as the console does.
    void addServer(const QString& name, const QByteArray& config,
                   const QString& version = QStringLiteral("2.2.22"), bool remote = false,
                   const QString& os = QStringLiteral("Linux / Unix"));
    void setRegistryValue(const QString& server, const QString& key, const QString& value);
    QString registryValue(const QString& server, const QString& key) const;
    static QByteArray corpus(const QString& name); // tests/data/corpus/<name>

    QString workingCopy(const QString& server) const;
    // Non-blank lines of the working copy, trimmed (indentation and blank
    // separator lines are the writer's business).
    QStringList lines(const QString& server) const;
    // DirectiveNo of the first section head "<kind args>" (args compared trimmed, case-insensitively).
    int sectionNo(const QString& server, const QString& kind, const QString& args) const;

    // A sheet with the named pages for the node with this tag, started and shown.
    PropertySheet* openSheet(const QString& server, int tag, const QStringList& pages,
                             bool filesItem = false);
    // Modules the next sheets' server has compiled in ("mod_logio.c").
    void setCompiledInModules(const QStringList& modules) { m_compiledIn = modules; }
    QStringList notifications() const { return m_notifications; }
    QList<int> helpRequests() const { return m_help; }

    // Runs `answer` once on the modal dialog with this objectName when it shows
    // (call before the click that opens it). answered() says how many ran.
    void whenShown(const QString& objectName, std::function<void(QDialog*)> answer);
    int answered() const { return m_answered; }

    // Lines removed from / added to `before` to give `after` (as multisets).
    static QStringList removedLines(const QStringList& before, const QStringList& after);
    static QStringList addedLines(const QStringList& before, const QStringList& after);
    // The head line of the section that holds the first line equal to `line`
    // (trimmed); "" for the main server, "?" when the line is absent.
    static QString enclosingSection(const QStringList& lines, const QString& line);

    // Saves the widget as <name>.png under the build folder's screenshots/
    // (tools/screenshots.sh copies them into docs/screenshots/).
    static bool screenshot(QWidget* widget, const QString& name);

private:
    QTemporaryDir m_dir;
    QString m_appDir;
    bool m_valid = false;
    PageFactory m_factory;
    QStringList m_notifications;
    QStringList m_compiledIn;
    QList<int> m_help;
    int m_answered = 0;
};

} // namespace corvane::test

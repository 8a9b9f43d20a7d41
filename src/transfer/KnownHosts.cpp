#include "transfer/KnownHosts.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>

#include <libssh/libssh.h>

namespace corvane {

namespace {

// Known-hosts files are small; a bound keeps a runaway file from being read whole.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// OpenSSH's glob: '*' any run of characters, '?' one character, nothing else special.
bool glob(QStringView pattern, QStringView text)
{
    qsizetype p = 0, t = 0, star = -1, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// "|1|salt|hash": HMAC-SHA1 of the name keyed with the salt.
bool hashedMatches(const QString& entry, const QString& name)
{
    const QStringList parts = entry.split(QLatin1Char('|'));
    if (parts.size() != 4 || parts[1] != QLatin1String("1"))
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray hash = QByteArray::fromBase64(parts[3].toLatin1());
    return QMessageAuthenticationCode::hash(name.toUtf8(), salt, QCryptographicHash::Sha1) == hash;
}

} // namespace

QString KnownHosts::hostEntryName(const QString& host, int port)
{
    const QString lower = host.toLower();
    return port == 22 || port <= 0 ? lower : QStringLiteral("[%1]:%2").arg(lower).arg(port);
}

bool KnownHosts::hostMatches(const QString& patterns, const QString& name)
{
    if (patterns.startsWith(QLatin1Char('|')))
        return hashedMatches(patterns, name);
    bool matched = false;
    for (const QString& raw : patterns.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const bool negated = raw.startsWith(QLatin1Char('!'));
        const QString pattern = (negated ? raw.mid(1) : raw).toLower();
        if (glob(pattern, name)) {
            if (negated)
                return false;
            matched = true;
        }
    }
    return matched;
}

KnownHosts::Result KnownHosts::check(const QStringList& files, const QString& host, int port, ssh_key key)
{
    const QString name = hostEntryName(host, port);
    Result known, changed, revoked;
    for (const QString& path : files) {
        QFile f(path);
        if (path.isEmpty() || !f.open(QIODevice::ReadOnly) || f.size() > kMaxFileSize)
            continue;
        int lineNo = 0;
        while (!f.atEnd()) {
            const QByteArray raw = f.readLine(64 * 1024);
            ++lineNo;
            const QString text = QString::fromUtf8(raw).trimmed();
            if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
                continue;
            QStringList fields = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            bool isRevoked = false;
            if (fields.value(0).startsWith(QLatin1Char('@'))) {
                if (fields[0] == QLatin1String("@revoked"))
                    isRevoked = true;
                else
                    continue; // @cert-authority: certificates are not used here
                fields.removeFirst();
            }
            if (fields.size() < 3)
                continue;
            if (!isRevoked && !hostMatches(fields[0], name))
                continue;
            ssh_key lineKey = nullptr;
            const QByteArray type = fields[1].toLatin1();
            const QByteArray blob = fields[2].toLatin1();
            if (ssh_pki_import_pubkey_base64(blob.constData(), ssh_key_type_from_name(type.constData()),
                                             &lineKey) != SSH_OK)
                continue;
            const bool same = ssh_key_cmp(lineKey, key, SSH_KEY_CMP_PUBLIC) == 0;
            ssh_key_free(lineKey);
            if (isRevoked) {
                if (same && revoked.line == 0)
                    revoked = {Status::Changed, path, lineNo, true};
                continue;
            }
            if (same && known.line == 0)
                known = {Status::Known, path, lineNo, false};
            else if (!same && changed.line == 0)
                changed = {Status::Changed, path, lineNo, false};
        }
    }
    if (revoked.line != 0)
        return revoked;
    if (known.line != 0)
        return known;
    if (changed.line != 0)
        return changed;
    return {};
}

} // namespace corvane

#include "SplitTree.h"

#include "CorvanectlRun.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane::test {

TreeFiles debianStyleTree()
{
    const QByteArray modules = "/usr/lib/apache2/modules/";
    return {
        {"apache2.conf", "# Main file\n"
                         "LoadModule mpm_event_module " +
                             modules +
                             "mod_mpm_event.so\n"
                             "LoadModule authz_core_module " +
                             modules +
                             "mod_authz_core.so\n"
                             "ServerName localhost\n"
                             "ErrorLog /dev/null\n"
                             "ServerAdmin root@localhost\n"
                             "Listen 127.0.0.1:8080\n"
                             "\n"
                             "<Directory />\n"
                             "\tRequire all denied\n"
                             "</Directory>\n"
                             "IncludeOptional conf-enabled/*.conf\n"
                             "IncludeOptional sites-enabled/*.conf\n"},
        {"conf-enabled/admin.conf",
         "# Who answers for this server\r\nServerAdmin webmaster@example.test\r\n"},
        {"conf-enabled/security.conf", "<Directory /srv/secret>\n\tRequire all denied\n</Directory>\n"},
        {"sites-available/one.conf", "<VirtualHost *:8080>\n"
                                     "\tServerName one.example.test\n"
                                     "\t<Directory /var/www/one>\n"
                                     "\t\tRequire all granted\n"
                                     "\t</Directory>\n"
                                     "\t<Files secret.txt>\n"
                                     "\t\tRequire all denied\n"
                                     "\t</Files>\n"
                                     "</VirtualHost>\n"},
        {"sites-enabled/one.conf", "-> ../sites-available/one.conf"},
        {"sites-enabled/two.conf",
         "# The second site\n\n<VirtualHost *:8080>\n\tServerName two.example.test\n</VirtualHost>\n"},
    };
}

bool writeTree(const QString& root, const TreeFiles& files)
{
    for (const auto& [name, bytes] : files) {
        const QString path = root + u'/' + name;
        if (bytes.startsWith("-> ")) {
            if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
                !QFile::link(QString::fromUtf8(bytes.mid(3)), path))
                return false;
        } else if (!writeFile(path, bytes)) {
            return false;
        }
    }
    return true;
}

QString addLocalTreeServer(const QString& appDir, const QString& name, const QString& root)
{
    const CtlRun r = runCorvanectl(appDir,
                                   {"add", name, "--apache-version", "2.4.62", "--os", "unix", "--local",
                                    root, "--main-file", "apache2.conf"},
                                   {}, 60000);
    if (r.code != 0 || r.err.contains(QStringLiteral("error:")))
        return r.out + r.err;
    return {};
}

} // namespace corvane::test

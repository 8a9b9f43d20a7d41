#pragma once
// A small Debian-style configuration split over files (apache2.conf,
// conf-enabled/*.conf, sites-enabled/*.conf, one site enabled through a
// symbolic link) that the real apache2 accepts, written below a folder of the
// test and registered as a local server, fetched into the work area by the
// corvanectl of this build as the connection wizard does.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace corvane::test {

// Relative path and bytes of each file; bytes "-> target" make a symbolic link.
using TreeFiles = QList<QPair<QString, QByteArray>>;

// The tree: ServerAdmin in apache2.conf and again in conf-enabled/admin.conf.
TreeFiles debianStyleTree();
// Writes the files below root; false when one cannot be written.
bool writeTree(const QString& root, const TreeFiles& files);
// Registers root/apache2.conf as the local server `name` of the application
// folder and fetches it; "" on success, else what corvanectl said.
QString addLocalTreeServer(const QString& appDir, const QString& name, const QString& root);

} // namespace corvane::test

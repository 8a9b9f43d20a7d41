#include "registry/Servers.h"

#include "model/AtomicFile.h"
#include "registry/IniFile.h"
#include "registry/PasswordStore.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <limits>

namespace corvane {

Servers::Servers(AppFolder folder) : m_iniFileName(folder.iniPath()), m_folder(std::move(folder)) {}

std::string Servers::GetServer(const std::string& index) const
{
    // The numeric value of the text: optional blanks and sign, then digits.
    const std::string t = TrimBlanks(index);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    long value = 0;
    bool digits = false;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9' && value < 100000) {
        value = value * 10 + (t[i++] - '0');
        digits = true;
    }
    if (!digits || negative || value < 1 || value > m_count)
        return std::string();
    return m_names[size_t(value - 1)];
}

bool Servers::DeleteServer(const std::string& sServer)
{
    m_lastError.clear();
    if (m_iniFileName.isEmpty())
        return false;
    IniFile ini(m_iniFileName);
    if (!ini.removeSection(sServer)) {
        m_lastError = ini.errorString();
        return false;
    }
    // The keychain's entry goes with the registry's (a failure there leaves
    // an entry nothing reads).
    PasswordStore(m_folder).remove(sServer);
    FillServerListFromIni();
    return true;
}

bool Servers::WriteDataToInI(const std::string& sSection, const std::string& sKey,
                             const std::string& sKeyValue)
{
    m_lastError.clear();
    if (m_iniFileName.isEmpty())
        return false;
    IniFile ini(m_iniFileName);
    if (!ini.writeValue(sSection, sKey, sKeyValue)) {
        m_lastError = ini.errorString();
        return false;
    }
    return true;
}

std::string Servers::GetDataFromInI(const std::string& sSection, const std::string& sKey) const
{
    return ReadIniValue(sSection, sKey, m_iniFileName);
}

bool Servers::IsRemoteServer(const std::string& sServer) const
{
    return TrimBlanks(GetDataFromInI(sServer, registry::CONNECT_TYPE)) == "1";
}

bool Servers::FillServerListFromIni()
{
    m_names.clear();
    m_count = 0;
    const bool sample = SampleServerExists(m_folder);
    const bool haveIni = !m_iniFileName.isEmpty() && QFileInfo(m_iniFileName).isFile();
    if (!haveIni && !sample)
        return false;
    if (sample)
        m_names.push_back(registry::kSampleServerName);
    if (haveIni) {
        for (const std::string& name : IniFile(m_iniFileName).sectionNames()) {
            // The Sample server is listed once, by its folder.
            if (sample && name == registry::kSampleServerName)
                continue;
            m_names.push_back(name);
        }
    }
    const size_t limit = size_t(std::numeric_limits<std::int16_t>::max());
    if (m_names.size() > limit)
        m_names.resize(limit);
    m_count = std::int16_t(m_names.size());
    return true;
}

bool Servers::DeleteServerFolders(const std::string& sServer)
{
    m_lastError.clear();
    m_lastBackup.clear();
    if (!m_folder.checkServerName(sServer, &m_lastError))
        return false;
    const QString name = QString::fromUtf8(TrimBlanks(sServer));
    const QString serverFolder = m_folder.serverFolder(sServer);
    const QString workingCopy = m_folder.workingCopyPath(sServer);
    if (!QFileInfo(workingCopy).isFile()) {
        m_lastError =
            QStringLiteral("The working copy %1 does not exist; nothing was removed.").arg(workingCopy);
        return false;
    }

    // Only WorkArea and Backup, holding files, are removed; anything else in the
    // server's folder stops the removal before anything is touched.
    // The fetch backups go first, the working copy last.
    const QString subfolders[] = {m_folder.serverBackupFolder(sServer), m_folder.workAreaFolder(sServer)};
    const auto filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    QFileInfoList toDelete;
    QStringList treeFolders; // the fetched files of a split configuration
    static const QRegularExpression treeFolder(
        QStringLiteral("^(tree|outside|sent|fetch\\d+|httpd-unsent-[-0-9]+)$"));
    for (const QFileInfo& entry : QDir(serverFolder).entryInfoList(filters)) {
        const bool known =
            entry.isDir() && !entry.isSymLink() &&
            (entry.absoluteFilePath() == subfolders[0] || entry.absoluteFilePath() == subfolders[1]);
        if (!known) {
            m_lastError =
                QStringLiteral("%1 holds %2, which is not part of a server's work area; nothing was removed.")
                    .arg(serverFolder, entry.fileName());
            return false;
        }
        for (const QFileInfo& file : QDir(entry.absoluteFilePath()).entryInfoList(filters)) {
            if (file.isDir() && !file.isSymLink() && treeFolder.match(file.fileName()).hasMatch()) {
                treeFolders << file.absoluteFilePath();
                continue;
            }
            if (file.isDir() && !file.isSymLink()) {
                m_lastError = QStringLiteral("%1 holds the folder %2; nothing was removed.")
                                  .arg(entry.absoluteFilePath(), file.fileName());
                return false;
            }
            toDelete.push_back(file);
        }
    }

    // The dated copy of the working copy comes first.
    const QString backupFolder = m_folder.backupFolder();
    if (!AppFolder::isRealFolderOrMissing(backupFolder)) {
        m_lastError = QStringLiteral("%1 is not a folder of its own (a symbolic link or a file); nothing was "
                                     "removed.")
                          .arg(backupFolder);
        return false;
    }
    if (!QDir().mkpath(backupFolder)) {
        m_lastError = QStringLiteral("Cannot create the folder %1; nothing was removed.").arg(backupFolder);
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy-hh-mm-ss"));
    QString target =
        backupFolder + QLatin1Char('/') + name + QLatin1Char('-') + stamp + QStringLiteral(".conf");
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = backupFolder + QLatin1Char('/') + name + QLatin1Char('-') + stamp + QLatin1Char('-') +
                 QString::number(n) + QStringLiteral(".conf");
    }
    std::string why;
    if (!AtomicFile::copy(QFile::encodeName(workingCopy).toStdString(),
                          QFile::encodeName(target).toStdString(), &why)) {
        m_lastError = QStringLiteral("Cannot copy %1 to %2; nothing was removed: %3")
                          .arg(workingCopy, target, QString::fromLocal8Bit(why.c_str()));
        return false;
    }
    m_lastBackup = target;

    for (const QFileInfo& file : toDelete) {
        if (!QFile::remove(file.absoluteFilePath())) {
            m_lastError = QStringLiteral("Cannot delete %1; the working copy is kept as %2.")
                              .arg(file.absoluteFilePath(), target);
            return false;
        }
    }
    for (const QString& folder : treeFolders) {
        if (!QDir(folder).removeRecursively()) {
            m_lastError =
                QStringLiteral("Cannot delete %1; the working copy is kept as %2.").arg(folder, target);
            return false;
        }
    }
    for (const QString& folder : {subfolders[0], subfolders[1], serverFolder}) {
        if (QFileInfo(folder).isDir() && !QDir().rmdir(folder)) {
            m_lastError = QStringLiteral("Cannot remove the folder %1; the working copy is kept as %2.")
                              .arg(folder, target);
            return false;
        }
    }
    return true;
}

} // namespace corvane

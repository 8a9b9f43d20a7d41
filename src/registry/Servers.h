#pragma once
// The list of registered servers and access to their sections of
// Corvane.ini. A server named "Sample" is listed first whenever the file
// Sample/WorkArea/httpd.conf exists, although it has no section.
#include "registry/AppFolder.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

class Servers
{
public:
    // iniFileName = folder.iniPath(). The list starts empty: call
    // FillServerListFromIni().
    explicit Servers(AppFolder folder);

    std::int16_t ServerCount() const { return m_count; }
    // The name at the numeric value of `index` (1-based); "" when not a
    // number or out of range.
    std::string GetServer(const std::string& index) const;
    // All names in list order.
    const std::vector<std::string>& names() const { return m_names; }

    // Removes the section `sServer` from the registry; on success refills the list.
    bool DeleteServer(const std::string& sServer);
    // Copies the working copy to Backup/<server>-dd-MM-yyyy-hh-mm-ss.conf under
    // the application folder, then removes the server's WorkArea, Backup and
    // own folders. Never touches the registry. On failure returns false with
    // lastError(); the working copy is then still in place or in Backup.
    bool DeleteServerFolders(const std::string& sServer);
    // The path of the copy the last successful DeleteServerFolders made.
    const QString& lastBackupPath() const { return m_lastBackup; }

    bool WriteDataToInI(const std::string& sSection, const std::string& sKey, const std::string& sKeyValue);
    std::string GetDataFromInI(const std::string& sSection, const std::string& sKey) const;
    // "CONNECT_TYPE", trimmed, is "1".
    bool IsRemoteServer(const std::string& sServer) const;
    // Rebuilds the list: "Sample" (when its working copy exists), then the
    // section names in file order. False when there is neither an ini file
    // name nor a Sample server.
    bool FillServerListFromIni();

    const QString& iniFileName() const { return m_iniFileName; }
    void setIniFileName(const QString& name) { m_iniFileName = name; }

    const AppFolder& appFolder() const { return m_folder; }
    const QString& lastError() const { return m_lastError; }

private:
    std::vector<std::string> m_names;
    std::int16_t m_count = 0;
    QString m_iniFileName;
    AppFolder m_folder;
    QString m_lastError;
    QString m_lastBackup;
};

} // namespace corvane

#pragma once
// Names used in Corvane.ini and in the application folder.
namespace corvane::registry {

// Keys of a server's section.
inline constexpr const char* SERVER_NAME = "SERVER_NAME";
inline constexpr const char* APACHE_VERSION = "APACHE_VERSION";
inline constexpr const char* CONNECT_TYPE = "CONNECT_TYPE"; // "1" remote, "0" local
inline constexpr const char* REMOTE_HOST = "REMOTE_HOST";
inline constexpr const char* USERNAME = "USERNAME";
inline constexpr const char* PASSWORD = "PASSWORD"; // EncodePassword'ed
inline constexpr const char* REMOTE_FOLDER = "REMOTE_FOLDER";
inline constexpr const char* PORT_NUMBER = "PORT_NUMBER";
inline constexpr const char* IS_SFTP = "IS_SFTP";             // "1" SFTP, "0" FTP or local
inline constexpr const char* SFTP_AUTHTYPE = "SFTP_AUTHTYPE"; // 2 public key, 4 password, 16 keyboard
inline constexpr const char* SFTP_PVTKEYFILE = "SFTP_PVTKEYFILE";
inline constexpr const char* SFTP_AUTH_USED = "SFTP_AUTH_USED"; // how the last SFTP login succeeded
inline constexpr const char* LOCAL_CONF = "LOCAL_CONF";
// The server's main configuration file: its name (in REMOTE_FOLDER, or the
// file LOCAL_CONF names); "httpd.conf" when absent.
inline constexpr const char* MAIN_FILE = "MAIN_FILE";
// Server folder relative Include paths start from; absent: the main file's
// own ServerRoot, else the main file's folder.
inline constexpr const char* SERVER_ROOT = "SERVER_ROOT";
// For FTP/SFTP accounts that see a part of the server as "/": the server
// folder the account sees so; "/" when absent.
inline constexpr const char* ACCOUNT_ROOT = "ACCOUNT_ROOT";
inline constexpr const char* OS_TYPE = "OS_TYPE"; // e.g. "Windows", "Linux"
// "1": saving regenerates the layout of httpd.conf; otherwise (the default)
// saving keeps the file's layout and changes only the edited lines.
inline constexpr const char* NORMALIZE_LAYOUT = "NORMALIZE_LAYOUT";
// Seconds connecting and the server's greeting may take (FTP); 30 when absent.
inline constexpr const char* CONNECT_TIMEOUT = "CONNECT_TIMEOUT";
// FTP over TLS: "required", "optional" (if the server offers it; the default) or "never".
inline constexpr const char* FTP_TLS = "FTP_TLS";
// How the last FTP connection was protected, e.g. "TLS 1.3, certificate verified by the system".
inline constexpr const char* FTP_PROTECTION_USED = "FTP_PROTECTION_USED";

// The sample server delivered with the program.
inline constexpr const char* kSampleServerName = "Sample";
inline constexpr const char* kSampleApacheVersion = "2.0.49";
// It has no registry section; its httpd.conf is a Unix layout (ServerRoot
// "/usr/local/apache2"), which the connection page shows as its system.
inline constexpr const char* kSampleOsType = "Linux / Unix";

// Files and folders of the application folder.
inline constexpr const char* kIniFileName = "Corvane.ini";
inline constexpr const char* kCatalogueFileName = "Corvane.dll";
inline constexpr const char* kWorkAreaFolder = "WorkArea";
inline constexpr const char* kBackupFolder = "Backup";
inline constexpr const char* kWorkingCopyName = "httpd.conf";
inline constexpr const char* kSnapshotName = "Serialize.srl";

} // namespace corvane::registry

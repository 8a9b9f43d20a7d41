#pragma once
// Error numbers and fixed texts of the network layer. Socket errors keep the
// classic Winsock numbers so messages read the same on every platform; the FTP
// client numbers its errors 16000 + reply code; the timer uses 17001/17002.
#include <QAbstractSocket>
#include <QString>

namespace corvane::net {

enum SocketErrorNumber : int
{
    kErrInterrupted = 10004,
    kErrAccessDenied = 10013,
    kErrInvalidArgument = 10022,
    kErrTooManyFiles = 10024,
    kErrWouldBlock = 10035,
    kErrNotSocket = 10038,
    kErrMessageTooLong = 10040,
    kErrProtocolNotSupported = 10043,
    kErrSocketTypeNotSupported = 10044,
    kErrOperationNotSupported = 10045,
    kErrAddressInUse = 10048,
    kErrAddressNotAvailable = 10049,
    kErrNetworkDown = 10050,
    kErrNetworkUnreachable = 10051,
    kErrConnectionAborted = 10053,
    kErrConnectionReset = 10054,
    kErrNoBufferSpace = 10055,
    kErrNotConnected = 10057,
    kErrTimedOut = 10060,
    kErrConnectionRefused = 10061,
    kErrHostUnreachable = 10065,
    kErrSystemCallFailure = 10107,
    kErrHostNotFound = 11001,
    kErrTryAgain = 11002,
    kErrNoData = 11004,
    // Wrong protocol or connection state (a send with no socket).
    kErrWrongState = 40006,
};

enum FtpErrorNumber : int
{
    kFtpReplyBase = 16000,
    kFtpNoCurrentDirectory = 16001,
    kFtpUnknownListing = 16002,
    kFtpNotConnected = 16008,
    // FTP over TLS: the server does not offer it although it is required; its
    // certificate does not verify and is not pinned; it differs from the pinned one;
    // the TLS handshake failed for another reason.
    kFtpTlsNotOffered = 16010,
    kFtpCertificateUnknown = 16011,
    kFtpCertificateChanged = 16012,
    kFtpTlsFailed = 16013,
    kTimerWindow = 17001,
    kTimerCreate = 17002,
};

// English text of a socket error number; "Unknown error." for any other number.
QString socketErrorText(int number);

// The socket error number that stands for a Qt socket error.
int socketErrorNumber(QAbstractSocket::SocketError error);

// Fixed description of an FTP reply code used as an error; empty for codes without one.
QString ftpReplyText(int code);

} // namespace corvane::net

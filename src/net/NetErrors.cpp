#include "net/NetErrors.h"

#include <QHash>

namespace corvane::net {

QString socketErrorText(int number)
{
    static const QHash<int, const char*> texts{
        {10004, "Interrupted function call."},
        {10013, "Permission denied."},
        {10014, "Bad address."},
        {10022, "Invalid argument."},
        {10024, "Too many open files."},
        {10035, "Resource temporarily unavailable."},
        {10036, "Operation now in progress."},
        {10037, "Operation already in progress."},
        {10038, "Socket operation on nonsocket."},
        {10039, "Destination address required."},
        {10040, "Message too long."},
        {10041, "Protocol wrong type for socket."},
        {10042, "Bad protocol option."},
        {10043, "Protocol not supported."},
        {10044, "Socket type not supported."},
        {10045, "Operation not supported."},
        {10046, "Protocol family not supported."},
        {10047, "Address family not supported by protocol family."},
        {10048, "Address already in use."},
        {10049, "Cannot assign requested address."},
        {10050, "Network is down."},
        {10051, "Network is unreachable."},
        {10052, "Network dropped connection on reset."},
        {10053, "Software caused connection abort."},
        {10054, "Connection reset by peer."},
        {10055, "No buffer space available."},
        {10056, "Socket is already connected."},
        {10057, "Socket is not connected."},
        {10058, "Cannot send after socket shutdown."},
        {10060, "Connection timed out."},
        {10061, "Connection refused."},
        {10064, "Host is down."},
        {10065, "No route to host."},
        {10067, "Too many processes."},
        {10091, "Network subsystem is unavailable."},
        {10092, "Winsock.dll version out of range."},
        {10093, "Successful WSAStartup not yet performed."},
        {10101, "Graceful shutdown in progress."},
        {10107, "System call failure."},
        {10109, "Class type not found."},
        {11001, "Host not found."},
        {11002, "Nonauthoritative host not found."},
        {11003, "This is a nonrecoverable error."},
        {11004, "Valid name, no data record of requested type."},
        {40006, "Wrong protocol or connection state for the requested transaction or request."},
    };
    const auto it = texts.constFind(number);
    return it == texts.constEnd() ? QStringLiteral("Unknown error.") : QString::fromLatin1(*it);
}

int socketErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return kErrConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError:
        return kErrConnectionReset;
    case QAbstractSocket::HostNotFoundError:
        return kErrHostNotFound;
    case QAbstractSocket::SocketAccessError:
        return kErrAccessDenied;
    case QAbstractSocket::SocketResourceError:
        return kErrNoBufferSpace;
    case QAbstractSocket::SocketTimeoutError:
        return kErrTimedOut;
    case QAbstractSocket::DatagramTooLargeError:
        return kErrMessageTooLong;
    case QAbstractSocket::NetworkError:
        return kErrNetworkUnreachable;
    case QAbstractSocket::AddressInUseError:
        return kErrAddressInUse;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return kErrAddressNotAvailable;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return kErrOperationNotSupported;
    case QAbstractSocket::OperationError:
        return kErrWrongState;
    case QAbstractSocket::TemporaryError:
        return kErrWouldBlock;
    default:
        return kErrSystemCallFailure;
    }
}

QString ftpReplyText(int code)
{
    static const QHash<int, const char*> texts{
        {120, "Service ready in nnn minutes."},
        {332, "Need account for login."},
        {350, "Requested file action pending further information."},
        {421, "Service not available, closing control connection."},
        {425, "Can 't open data connection."},
        {426, "Connection closed; transfer aborted."},
        {450, "Requested file action not taken."},
        {451, "Requested action aborted: local error in processing."},
        {452, "Requested action not taken."},
        {500, "Syntax error, command unrecognized."},
        {501, "Syntax error in parameters or arguments."},
        {502, "Command not implemented."},
        {503, "Bad sequence of commands."},
        {504, "Command not implemented for that parameter."},
        {530, "Not logged in."},
        {532, "Need account for storing files."},
        {550, "Requested action not taken."},
        {551, "Requested action aborted: page type unknown."},
        {552, "Requested file action aborted."},
        {553, "Requested action not taken."},
    };
    const auto it = texts.constFind(code);
    return it == texts.constEnd() ? QString() : QString::fromLatin1(*it);
}

} // namespace corvane::net

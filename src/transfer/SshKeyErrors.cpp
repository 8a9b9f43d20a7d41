#include "transfer/SshKeyErrors.h"

namespace corvane {

QString SshKeyErrors::text(int number)
{
    switch (number) {
    case TooManyPasswordAttempts:
        return QStringLiteral("User tired of invalid password entering.");
    case NoMoreAuthMethods:
        return QStringLiteral("There are no more methods for user authentication.");
    case NoSuchUser:
        return QStringLiteral("There is no user with specified username on the server.");
    case InvalidPublicKey:
        return QStringLiteral("Public key is invalid.");
    case InvalidPrivateKey:
        return QStringLiteral("Private key is invalid.");
    case FileReadError:
        return QStringLiteral("Error of reading from file.");
    case FileWriteError:
        return QStringLiteral("Error of writing to file.");
    case UnsupportedAlgorithm:
        return QStringLiteral("Algorithm is unsupported.");
    case InternalError:
        return QStringLiteral("Internal error.");
    case BufferTooSmall:
        return QStringLiteral("Buffer is too small.");
    case NoPrivateKey:
        return QStringLiteral("There is no private key.");
    case WrongKeyPassword:
        return QStringLiteral("Wrong password for private key.");
    case UnsupportedPemAlgorithm:
        return QStringLiteral("PEM algorithm is unsupported.");
    default:
        return QString();
    }
}

QString SshKeyErrors::message(int number)
{
    const QString t = text(number);
    if (!t.isEmpty())
        return QStringLiteral("SSH key error: ") + t;
    return QStringLiteral("SSH key error: 0x") + QString::number(static_cast<unsigned>(number), 16).toUpper();
}

} // namespace corvane

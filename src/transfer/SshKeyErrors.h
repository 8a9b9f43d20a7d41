#pragma once
// The texts shown for errors of the SSH layer and its key handling.
#include <QString>

namespace corvane {

class SshKeyErrors
{
public:
    // Error numbers with a fixed text.
    enum Number
    {
        TooManyPasswordAttempts = 113,
        NoMoreAuthMethods = 114,
        NoSuchUser = 115,
        InvalidPublicKey = 3329,
        InvalidPrivateKey = 3330,
        FileReadError = 3331,
        FileWriteError = 3332,
        UnsupportedAlgorithm = 3333,
        InternalError = 3334,
        BufferTooSmall = 3335,
        NoPrivateKey = 3336,
        WrongKeyPassword = 3337,
        UnsupportedPemAlgorithm = 3338,
    };

    // The text of a number, "" when it has none.
    static QString text(int number);
    // "SSH key error: " and the text, or "SSH key error: 0x" and the number
    // in hexadecimal when it has no text.
    static QString message(int number);
};

} // namespace corvane

#pragma once
// Whole-file reads and writes for tests: the bytes as they are on disk.
#include <QByteArray>
#include <QString>

namespace corvane::test {

// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Writes the bytes (creating the folder); false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);
// Test data that must exist: a missing file ends the test program.
QByteArray readTestData(const QString& path);

} // namespace corvane::test

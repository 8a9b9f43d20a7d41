#pragma once
// Every file chooser of Corvane goes through here. Tests queue the next file
// name with setNextFileName() (an empty name answers Cancel); in QStandardPaths
// test mode without a queued name the chooser is not shown and Cancel ("") is
// returned.
#include <QString>

class QWidget;

namespace corvane {

class FileDialog
{
public:
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir = {},
                                   const QString& filter = {});
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir = {},
                                   const QString& filter = {});
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir = {});

    static void setNextFileName(const QString& fileName);
    static void clearNextFileNames();
    static QString lastCaption();
};

} // namespace corvane

#include "host/FileDialog.h"

#include <QFileDialog>
#include <QStandardPaths>
#include <QStringList>

namespace corvane {

namespace {
struct Record
{
    QStringList next;
    QString lastCaption;
};

Record& record()
{
    static Record r;
    return r;
}

// A queued answer, or (test mode) Cancel; nullopt means: ask the user.
bool takeAnswer(const QString& caption, QString* answer)
{
    Record& r = record();
    r.lastCaption = caption;
    if (!r.next.isEmpty()) {
        *answer = r.next.takeFirst();
        return true;
    }
    if (QStandardPaths::isTestModeEnabled()) {
        answer->clear();
        return true;
    }
    return false;
}
} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    QString answer;
    if (takeAnswer(caption, &answer))
        return answer;
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    QString answer;
    if (takeAnswer(caption, &answer))
        return answer;
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    QString answer;
    if (takeAnswer(caption, &answer))
        return answer;
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void FileDialog::setNextFileName(const QString& fileName)
{
    record().next.append(fileName);
}

void FileDialog::clearNextFileNames()
{
    record().next.clear();
}

QString FileDialog::lastCaption()
{
    return record().lastCaption;
}

} // namespace corvane

#include "host/MessageBox.h"

#include <QList>
#include <QStandardPaths>

namespace corvane {

namespace {
struct Record
{
    QList<MessageBox::Button> answers;
    QString lastText;
    QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
    int shown = 0;
};

Record& record()
{
    static Record r;
    return r;
}

// What a box answers when nobody can click it: the harmless button.
MessageBox::Button escapeAnswer(QMessageBox::StandardButtons buttons)
{
    for (auto b : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}
} // namespace

MessageBox::Button MessageBox::information(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

MessageBox::Button MessageBox::warning(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

MessageBox::Button MessageBox::critical(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& text, Button defaultButton)
{
    return show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, defaultButton);
}

MessageBox::Button MessageBox::show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons, Button defaultButton)
{
    Record& r = record();
    r.lastText = text;
    r.lastIcon = icon;
    ++r.shown;
    if (!r.answers.isEmpty())
        return r.answers.takeFirst();
    if (QStandardPaths::isTestModeEnabled())
        return escapeAnswer(buttons);

    QMessageBox box(icon, QString::fromLatin1(title()), text, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return Button(box.exec());
}

void MessageBox::setNextAnswer(Button answer)
{
    record().answers.append(answer);
}

void MessageBox::clearNextAnswers()
{
    record().answers.clear();
}

int MessageBox::pendingAnswers()
{
    return int(record().answers.size());
}

QString MessageBox::lastText()
{
    return record().lastText;
}

QMessageBox::Icon MessageBox::lastIcon()
{
    return record().lastIcon;
}

int MessageBox::shownCount()
{
    return record().shown;
}

void MessageBox::resetRecord()
{
    Record& r = record();
    r.answers.clear();
    r.lastText.clear();
    r.lastIcon = QMessageBox::NoIcon;
    r.shown = 0;
}

} // namespace corvane

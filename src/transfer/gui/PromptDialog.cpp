#include "transfer/gui/PromptDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <deque>

namespace corvane {

namespace {

std::deque<std::optional<QString>>& queued()
{
    static std::deque<std::optional<QString>> answers;
    return answers;
}

QString& lastPromptText()
{
    static QString text;
    return text;
}

} // namespace

PromptDialog::PromptDialog(const QString& prompt, bool echo, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrompt"));
    setWindowTitle(QStringLiteral("Authentication Prompt"));
    lblPrompt = new QLabel(prompt, this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt->setWordWrap(true);
    txtResponse = new QLineEdit(this);
    txtResponse->setObjectName(QStringLiteral("txtResponse"));
    txtResponse->setEchoMode(echo ? QLineEdit::Normal : QLineEdit::Password);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(txtResponse);
    layout->addWidget(cmdOk, 0, Qt::AlignRight);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(txtResponse, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString PromptDialog::answer() const
{
    return txtResponse->text();
}

std::optional<QString> PromptDialog::ask(QWidget* parent, const QString& prompt, bool echo)
{
    lastPromptText() = prompt;
    if (!queued().empty()) {
        std::optional<QString> a = queued().front();
        queued().pop_front();
        return a;
    }
    PromptDialog dialog(prompt, echo, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}

void PromptDialog::setNextAnswer(const std::optional<QString>& answer)
{
    queued().push_back(answer);
}

QString PromptDialog::lastPrompt()
{
    return lastPromptText();
}

} // namespace corvane

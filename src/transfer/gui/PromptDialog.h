#pragma once
// frmPrompt: one question of a keyboard-interactive SSH login (or the pass
// phrase of a key file) and the administrator's answer.
#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class PromptDialog : public QDialog
{
    Q_OBJECT
public:
    PromptDialog(const QString& prompt, bool echo, QWidget* parent = nullptr);
    QString answer() const;

    // Shows the dialog modally; no value when it was closed without OK.
    static std::optional<QString> ask(QWidget* parent, const QString& prompt, bool echo);
    // Tests: the next ask() returns this without showing anything.
    static void setNextAnswer(const std::optional<QString>& answer);
    static QString lastPrompt();

private:
    QLabel* lblPrompt;
    QLineEdit* txtResponse;
    QPushButton* cmdOk;
};

} // namespace corvane

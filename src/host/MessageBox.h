#pragma once
// Every message box of Corvane goes through here: title "Corvane", Yes/No for
// questions. Tests queue answers with setNextAnswer(); a queued answer is
// returned without showing anything. With QStandardPaths test mode on and no
// answer queued, nothing is shown either and the default button is returned
// (Ok, or No for questions), so a forgotten answer never hangs a test.
// lastText()/lastIcon()/shownCount() record what would have been shown.
#include <QMessageBox>
#include <QString>

class QWidget;

namespace corvane {

class MessageBox
{
public:
    using Button = QMessageBox::StandardButton;
    static constexpr const char* title() { return "Corvane"; }

    static Button information(QWidget* parent, const QString& text);
    static Button warning(QWidget* parent, const QString& text);
    static Button critical(QWidget* parent, const QString& text);
    // Yes or No.
    static Button question(QWidget* parent, const QString& text, Button defaultButton = QMessageBox::No);
    // Any icon and buttons; the common path of the helpers above.
    static Button show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                       QMessageBox::StandardButtons buttons, Button defaultButton);

    // Test hooks.
    static void setNextAnswer(Button answer);
    static void clearNextAnswers();
    static int pendingAnswers();
    static QString lastText();
    static QMessageBox::Icon lastIcon();
    static int shownCount();
    static void resetRecord();
};

} // namespace corvane

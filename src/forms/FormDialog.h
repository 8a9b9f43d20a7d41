#pragma once
// Base of every Corvane dialog: OK and Cancel (cmdOK, cmdCancel) with the
// Accepted flag the opener reads, version and context gating, Browse buttons
// and tooltips each time it is shown, F1 help, and Cancel putting back what
// the dialog showed when it opened (its text boxes, combo boxes, check and
// option buttons and lists), so an owner that reads the dialog after Cancel
// sees nothing of what was changed in it. Keyboard (DialogKeys): the dialog
// opens with the focus on its first field, Tab goes through the fields in
// creation order and ends on OK, Cancel (and Apply), Enter in a field is OK.
#include "forms/FormSupport.h"
#include "host/PageContext.h"

#include <QDialog>

#include <functional>
#include <memory>

class QAbstractButton;
class QDialogButtonBox;
class QPushButton;
class QVBoxLayout;

namespace corvane {

class FormDialog : public QDialog
{
    Q_OBJECT
public:
    FormDialog(const QString& objectName, const QString& caption, int helpContextId,
               QWidget* parent = nullptr);
    ~FormDialog() override;

    bool Accepted = false;

    void setContext(const PageContext& context);
    const PageContext& context() const { return m_context; }
    // Where the dialog's directives would go, for the catalogue's context flags.
    void setNodeContext(FormSupport::NodeContext context) { m_nodeContext = context; }
    FormSupport& form() { return *m_form; }
    void setHelpHandler(std::function<void(int)> handler) { m_form->helpHandler = std::move(handler); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    // Gating of the dialog's controls for the context's server, as on show.
    void gateControls();

public slots:
    void accept() override; // acceptInput(), then Accepted and hide
    void reject() override; // Accepted cleared, the opened state put back, hide

protected:
    // Where subclasses put their controls (above the button row).
    QVBoxLayout* body() const { return m_body; }
    QDialogButtonBox* buttonBox() const { return m_buttons; }
    // A "Browse..." button for `box`: enabled for a local server while the box is.
    void addBrowseButton(QWidget* button, QWidget* box = nullptr) { m_form->addBrowseButton(button, box); }
    // OK's check; false keeps the dialog open (it shows its own message).
    virtual bool acceptInput() { return true; }
    // Called when the context changes (setContext).
    virtual void contextChanged() {}
    // Whether Cancel puts the opened state back (editor dialogs close instead).
    void setRestoresOnCancel(bool restores) { m_restoresOnCancel = restores; }

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // The buttons Tab reaches last, in order (OK, Cancel; editors add Apply).
    virtual QList<QAbstractButton*> closingButtons() const;

    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;

private:
    struct OpenedState;
    void captureState();
    void restoreState();

    PageContext m_context;
    FormSupport::NodeContext m_nodeContext = FormSupport::NodeContext::Any;
    FormSupport* m_form;
    QVBoxLayout* m_body;
    QDialogButtonBox* m_buttons;
    std::unique_ptr<OpenedState> m_opened;
    bool m_restoresOnCancel = true;
};

} // namespace corvane

#include "dialogs/CorvaneDialog.h"

#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/EditSession.h"

#include <QDialogButtonBox>
#include <QLoggingCategory>
#include <QPushButton>

namespace corvane {

namespace {

Q_LOGGING_CATEGORY(lcDialogs, "corvane.dialogs")

} // namespace

CorvaneDialog::CorvaneDialog(const EditorInputs& inputs, const QString& objectName, const QString& caption,
                             int helpContextId, QWidget* parent)
    : FormDialog(objectName, caption, helpContextId, parent), m_inputs(inputs)
{
    setContext(m_inputs.context);
    setRestoresOnCancel(false); // an editor closes on Cancel; it is loaded afresh next time
    if (m_inputs.showHelp)
        setHelpHandler(m_inputs.showHelp);
    m_cmdApply = buttonBox()->addButton(QDialogButtonBox::Apply);
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    m_cmdApply->setEnabled(false);
    connect(m_cmdApply, &QPushButton::clicked, this, [this] { applyChanges(); });
    m_bindings.changed = [this] { markChanged(); };
}

CorvaneDialog::~CorvaneDialog() = default;

void CorvaneDialog::markChanged()
{
    m_cmdApply->setEnabled(true);
}

bool CorvaneDialog::isChanged() const
{
    return m_cmdApply->isEnabled();
}

void CorvaneDialog::ParseMe(const QString& server, const QString& iniPath, const QString& key)
{
    Q_UNUSED(iniPath);
    Q_UNUSED(key);
    PageContext c = context();
    c.currentServerName = server;
    setContext(c);
    gateControls();
}

void CorvaneDialog::FormLoad()
{
    m_bindings.load(*objConfigFile(), lScopeDirNo());
}

bool CorvaneDialog::SaveDirectivesFromGUI()
{
    return m_bindings.save(*objConfigFile(), lScopeDirNo(),
                           [this](const QWidget* w) { return w->isEnabledTo(this); });
}

void CorvaneDialog::showEvent(QShowEvent* event)
{
    if (!m_loaded) {
        m_loaded = true;
        setNodeContext(FormSupport::contextOfScope(m_inputs.objConfigFile, m_inputs.lScopeDirNo));
        if (m_inputs.objConfigFile) {
            try {
                FormLoad();
            } catch (const std::exception& e) {
                qCWarning(lcDialogs) << objectName() << "could not load:" << e.what();
            }
        }
        m_cmdApply->setEnabled(false);
    }
    // Activation: browse buttons, version and context gating, tooltips.
    FormDialog::showEvent(event);
}

QList<QAbstractButton*> CorvaneDialog::closingButtons() const
{
    return {m_cmdOK, m_cmdCancel, m_cmdApply};
}

bool CorvaneDialog::applyChanges()
{
    ConfigFile* cf = m_inputs.objConfigFile;
    if (!cf)
        return false;
    if (!prepareApply())
        return false;
    const EditOutcome outcome = commitEdit(*cf, [this](ConfigFile&, std::string& refusal) {
        if (!SaveDirectivesFromGUI()) {
            refusal = "The change could not be made; nothing was written.";
            return false;
        }
        return true;
    });
    if (!outcome.ok()) {
        MessageBox::warning(this, QString::fromStdString(outcome.message));
        return false;
    }
    m_bindings.saved(*cf, lScopeDirNo());
    if (outcome.written() && m_inputs.propertyChanged)
        m_inputs.propertyChanged(QString::fromLatin1(kRefreshTreeView));
    m_cmdApply->setEnabled(false);
    return true;
}

void CorvaneDialog::accept()
{
    if (!applyChanges())
        return; // stays open: the administrator has been told why
    Accepted = true;
    QDialog::accept();
}

void CorvaneDialog::reject()
{
    Accepted = false;
    QDialog::reject();
}

} // namespace corvane

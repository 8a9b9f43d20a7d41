#include "dialogs/CorvaneDialog.h"

#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "pages/FormSupport.h"
#include "registry/AppFolder.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

CorvaneDialog::CorvaneDialog(const EditorInputs& inputs, const QString& objectName, const QString& caption,
                             int helpContextId, QWidget* parent)
    : QDialog(parent), m_inputs(inputs), m_form(new FormSupport(this))
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    FormSupport::setHelpContext(this, helpContextId);
    if (m_inputs.showHelp)
        m_form->helpHandler = m_inputs.showHelp;

    auto* layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
    auto* buttons = new QDialogButtonBox(this);
    m_cmdOK = buttons->addButton(QDialogButtonBox::Ok);
    m_cmdCancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_cmdApply = buttons->addButton(QDialogButtonBox::Apply);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    m_cmdApply->setEnabled(false);
    connect(m_cmdOK, &QPushButton::clicked, this, &CorvaneDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &CorvaneDialog::reject);
    connect(m_cmdApply, &QPushButton::clicked, this, [this] { applyChanges(); });
    layout->addWidget(buttons);
}

CorvaneDialog::~CorvaneDialog() = default;

void CorvaneDialog::setTag(QWidget* control, const QString& directive)
{
    FormSupport::setTag(control, directive);
}

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
    m_form->gate(m_inputs.context.appDir, server);
}

void CorvaneDialog::showEvent(QShowEvent* event)
{
    if (!m_loaded) {
        m_loaded = true;
        m_cmdApply->setEnabled(false);
        if (m_inputs.objConfigFile) {
            try {
                FormLoad();
            } catch (...) {
            }
        }
        m_cmdApply->setEnabled(false);
    }
    // Activation: browse buttons, version gating, tooltips.
    for (QWidget* b : m_browseButtons)
        b->setEnabled(m_inputs.context.isLocalServer);
    ParseMe(m_inputs.context.currentServerName, AppFolder(m_inputs.context.appDir).iniPath(),
            QStringLiteral("APACHE_VERSION"));
    m_form->installTooltips(m_inputs.context.appDir);
    QDialog::showEvent(event);
}

bool CorvaneDialog::applyChanges()
{
    ConfigFile* cf = m_inputs.objConfigFile;
    if (!cf)
        return false;
    try {
        cf->DeSerialize();
    } catch (...) {
    }
    try {
        SaveDirectivesFromGUI();
    } catch (...) {
    }
    bool written = false;
    try {
        written = cf->WriteFile();
    } catch (const CorvaneError& e) {
        MessageBox::critical(this, QStringLiteral("The configuration file could not be written, nothing was "
                                                  "changed:\n%1")
                                       .arg(QString::fromStdString(e.description())));
    } catch (...) {
    }
    if (written) {
        try {
            cf->Serialize();
        } catch (...) {
        }
    }
    if (m_inputs.propertyChanged)
        m_inputs.propertyChanged(QStringLiteral("RefreshTreeView"));
    m_cmdApply->setEnabled(false);
    return written;
}

void CorvaneDialog::accept()
{
    applyChanges();
    QDialog::accept();
}

void CorvaneDialog::reject()
{
    QDialog::reject();
}

void CorvaneDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        event->accept();
        m_form->showHelpForFocus();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace corvane

#include "transfer/gui/ConnectingPage.h"

#include "host/MessageBox.h"
#include "transfer/ConfigTransfer.h"
#include "transfer/gui/PromptDialog.h"
#include "transfer/gui/TransferProgressDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizard>

namespace corvane {

ConnectingPage::ConnectingPage(AppFolder folder, TransferState& state, QWidget* parent)
    : QWizardPage(parent), m_folder(std::move(folder)), m_state(state)
{
    setObjectName(QStringLiteral("frmConnecting"));
    setTitle(ConfigTransfer::titleText());
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    lblConnStatus = new QLabel(this);
    lblConnStatus->setObjectName(QStringLiteral("lblConnStatus"));
    lblConnStatus->setWordWrap(true);
    lblConnStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblAuthUsed = new QLabel(this);
    lblAuthUsed->setObjectName(QStringLiteral("lblAuthUsed"));
    lblAuthUsed->setWordWrap(true);
    lblAuthUsed->hide();
    lblProtection = new QLabel(this);
    lblProtection->setObjectName(QStringLiteral("lblProtection"));
    lblProtection->setWordWrap(true);
    lblProtection->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProtection->hide();
    lblFailureCause = new QLabel(this);
    lblFailureCause->setObjectName(QStringLiteral("lblFailureCause"));
    lblFailureCause->setWordWrap(true);
    lblFailureCause->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFailureCause->hide();
    lblLog = new QLabel(QStringLiteral("Log"), this);
    lblLog->setObjectName(QStringLiteral("lblLog"));
    Log = new QListWidget(this);
    Log->setObjectName(QStringLiteral("Log"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(lblConnStatus);
    layout->addWidget(lblFailureCause);
    layout->addWidget(lblAuthUsed);
    layout->addWidget(lblProtection);
    layout->addWidget(lblLog);
    layout->addWidget(Log, 1);
    lblLog->hide();
    Log->hide();
}

ConnectingPage::~ConnectingPage() = default;

void ConnectingPage::initializePage()
{
    Label2->setText(ConfigTransfer::explanationText(m_state));
    lblConnStatus->clear();
    for (QLabel* l : {lblAuthUsed, lblProtection, lblFailureCause}) {
        l->clear();
        l->hide();
    }
    m_finished = false;
    m_saved = false;
    // The transfer runs once per arrival on the page, after the page is shown.
    if (m_activations++ == 0)
        QTimer::singleShot(0, this, &ConnectingPage::startTransfer);
}

void ConnectingPage::startTransfer()
{
    TransferCallbacks cb;
    cb.status = [this](const QString& t) { lblConnStatus->setText(t); };
    cb.log = [this](const QString& t) {
        Log->addItem(t);
        Log->scrollToBottom();
    };
    cb.clearLog = [this] { Log->clear(); };
    cb.showLog = [this](bool visible) {
        lblLog->setVisible(visible);
        Log->setVisible(visible);
    };
    cb.back = [this](bool enabled, bool visible) {
        m_backEnabled = enabled;
        m_backVisible = visible;
        if (QWizard* w = wizard()) {
            w->button(QWizard::BackButton)->setEnabled(enabled && !m_busy);
            w->button(QWizard::BackButton)->setVisible(visible);
        }
    };
    cb.next = [this](bool) { emit completeChanged(); };
    cb.authenticated = [this](const QString& how) {
        lblAuthUsed->setText(QStringLiteral("Authentication used: ") + how);
        lblAuthUsed->setVisible(!how.isEmpty());
    };
    cb.acceptHostKey = [this](const QString& host, const QString& fingerprint) {
        const QString text =
            QStringLiteral("The server %1 is not known yet. Its host key has the fingerprint\n\n%2\n\n"
                           "Check it with the server's administrator. Do you trust this key and "
                           "want to connect?")
                .arg(host, fingerprint);
        return MessageBox::question(this, text) == QMessageBox::Yes;
    };
    cb.protection = [this](const QString& text) {
        lblProtection->setText(text);
        lblProtection->setVisible(!text.isEmpty());
    };
    cb.acceptCertificate = [this](const QString& server, const QString& fingerprint) {
        const QString text =
            QStringLiteral("The TLS certificate of %1 is not verified by this system (it may be "
                           "self-signed). Its SHA-256 fingerprint is\n\n%2\n\nCheck it with the server's "
                           "administrator. Do you trust this certificate and want to connect? Yes keeps it "
                           "for the next connections; a different certificate will be refused.")
                .arg(server, fingerprint);
        return MessageBox::question(this, text) == QMessageBox::Yes;
    };
    cb.discardUnsentChanges = [this](const QString& server) {
        const QString text =
            QStringLiteral("The working copy of %1 has changes that were not sent to the server. Fetching "
                           "the server's file replaces them.\n\nKeep a dated copy of the working copy in "
                           "Backup and fetch anyway?")
                .arg(server);
        return MessageBox::question(this, text) == QMessageBox::Yes;
    };
    cb.prompt = [this](const QString& prompt, bool echo) { return PromptDialog::ask(this, prompt, echo); };
    cb.passphrase = [this](const QString& keyFile) {
        return PromptDialog::ask(this, QStringLiteral("Pass phrase of the key file %1:").arg(keyFile), false);
    };
    // Files and bytes with a Cancel of their own, while the wizard's buttons wait.
    auto* progress = new TransferProgressDialog(m_state.UploadMode, this);
    cb.transferProgress = [progress](const TransferProgress& p) { progress->showProgress(p); };
    m_transfer = std::make_unique<ConfigTransfer>(m_folder, m_state, cb);
    connect(progress, &TransferProgressDialog::cancelRequested, this, [this] {
        if (m_transfer)
            m_transfer->cancel();
    });
    m_busy = true;
    if (QWizard* w = wizard())
        w->button(QWizard::CancelButton)->setEnabled(false);
    emit completeChanged();
    progress->show();
    m_transfer->StartTransfer();
    delete progress;
    m_busy = false;
    m_finished = true;
    // The status line ends with "... failed."; the reason stays beneath it.
    if (m_state.TransferFailed && !m_transfer->failureCause().isEmpty() &&
        m_transfer->failureCause() != m_transfer->lastStatus()) {
        lblFailureCause->setText(m_transfer->failureCause().simplified());
        lblFailureCause->show();
    }
    emit completeChanged();
    // The wizard resets its buttons on completeChanged; the transfer's word on Back stands.
    if (QWizard* w = wizard()) {
        w->button(QWizard::CancelButton)->setEnabled(true);
        w->button(QWizard::BackButton)->setEnabled(m_backEnabled);
        w->button(QWizard::BackButton)->setVisible(m_backVisible);
    }
    emit transferFinished(m_state.TransferFailed);
}

bool ConnectingPage::isComplete() const
{
    return m_finished && !m_busy;
}

void ConnectingPage::cleanupPage()
{
    // Back: try again from the previous page.
    m_activations = 0;
    if (m_transfer)
        m_transfer->Back();
    m_state.TransferFailed = false;
    m_transfer.reset();
}

void ConnectingPage::cancelTransfer()
{
    if (m_transfer)
        m_transfer->Cancel();
    m_transfer.reset();
}

bool ConnectingPage::validatePage()
{
    if (!m_finished)
        return false;
    const QString name = m_state.WizardServerName.trimmed();
    const bool registers = !m_state.TransferFailed && !m_state.UploadMode && !m_state.GetConfigMode;
    if (m_transfer)
        m_saved = m_transfer->Finish();
    if (registers && !m_saved)
        MessageBox::critical(this, QStringLiteral("The server %1 could not be registered. %2")
                                       .arg(name, m_transfer ? m_transfer->lastStatus() : QString()));
    if (m_saved)
        m_savedServer = name;
    m_activations = 0;
    return true;
}

} // namespace corvane

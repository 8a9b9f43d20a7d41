#include "pages/ppgServerSettings.h"

#include "dialogs/frmAliases.h"
#include "dialogs/frmEnvironmentVariables.h"
#include "dialogs/frmLogs.h"
#include "dialogs/frmOtherSettings.h"
#include "forms/FormSupport.h"
#include "forms/InputRules.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "model/ModelProcedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

ppgServerSettings::ppgServerSettings(QWidget* parent)
    : CorvanePage(QStringLiteral("Server Settings"), 110, MainServer | Sections, parent)
{
    setObjectName(QStringLiteral("ppgServerSettings"));
    auto* layout = new QVBoxLayout(this);

    auto* general = new QGroupBox(QStringLiteral("General"), this);
    auto* grid = new QGridLayout(general);
    auto row = [&](int r, const char* labelName, const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption, general);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setBuddy(control);
        grid->addWidget(label, r, 0);
        grid->addWidget(control, r, 1);
        return label;
    };
    m_txtDescription = PageWidgets::lineEdit(general, "txtDescription");
    FormSupport::setFixedTip(m_txtDescription, QStringLiteral("Description"),
                             QStringLiteral("Description of the Server"));
    m_txtVirtualHost = PageWidgets::lineEdit(general, "txtVirtualHost");
    setTag(m_txtVirtualHost, QStringLiteral("VirtualHost"));
    m_txtServerName = PageWidgets::lineEdit(general, "txtServerName");
    bindDirective(m_txtServerName, QStringLiteral("ServerName"));
    m_txtServerAdmin = PageWidgets::lineEdit(general, "txtServerAdmin");
    bindDirective(m_txtServerAdmin, QStringLiteral("ServerAdmin"));
    m_cmdEditSrvrAlias = PageWidgets::button(general, "cmdEditSrvrAlias", "Edit...");
    setTag(m_cmdEditSrvrAlias, QStringLiteral("ServerAlias"));
    connect(m_cmdEditSrvrAlias, &QPushButton::clicked, this, [this] { openEditor<frmServerAliases>(); });

    m_lblDescription = row(0, "lblDescription", QStringLiteral("Description :"), m_txtDescription);
    m_lblVirtualHost = row(1, "lblVirtualHost", QStringLiteral("Virtual Host :"), m_txtVirtualHost);
    row(2, "lblServerName", QStringLiteral("ServerName :"), m_txtServerName);
    row(3, "lblServerAdmin", QStringLiteral("ServerAdmin :"), m_txtServerAdmin);
    auto* aliasRow = new QHBoxLayout;
    aliasRow->addStretch(1);
    aliasRow->addWidget(m_cmdEditSrvrAlias);
    auto* lblAlias = new QLabel(QStringLiteral("Server Aliases :"), general);
    lblAlias->setObjectName(QStringLiteral("lblServerAliases"));
    grid->addWidget(lblAlias, 4, 0);
    grid->addLayout(aliasRow, 4, 1);
    layout->addWidget(general);

    auto* env = new QGroupBox(QStringLiteral("Environment Variables"), this);
    auto* envLayout = new QHBoxLayout(env);
    auto* envLabel = new QLabel(
        QStringLiteral("Modify the environment which is passed to CGI scripts and SSI pages  :"), env);
    envLabel->setWordWrap(true);
    envLayout->addWidget(envLabel, 1);
    auto* cmdEditEnvVar = PageWidgets::button(env, "cmdEditEnvVar", "Edit...");
    connect(cmdEditEnvVar, &QPushButton::clicked, this, [this] { openEditor<frmEnvironmentVariables>(); });
    envLayout->addWidget(cmdEditEnvVar);
    layout->addWidget(env);

    auto* logging = new QGroupBox(QStringLiteral("Logging"), this);
    auto* logLayout = new QHBoxLayout(logging);
    logLayout->addWidget(new QLabel(QStringLiteral("Logs :"), logging));
    m_cmbLogs = new QComboBox(logging);
    m_cmbLogs->setObjectName(QStringLiteral("cmbLogs"));
    m_cmbLogs->addItems({QStringLiteral("Transfer Log"), QStringLiteral("Error Log"),
                         QStringLiteral("Cookie Log"), QStringLiteral("Custom Log")});
    logLayout->addWidget(m_cmbLogs, 1);
    auto* cmdLogProperties = PageWidgets::button(logging, "cmdLogProperties", "Properties...");
    // The editor of the log chosen in the box.
    connect(cmdLogProperties, &QPushButton::clicked, this, [this] {
        switch (m_cmbLogs->currentIndex()) {
        case 0:
            openEditor<frmTransferLog>();
            break;
        case 1:
            openEditor<frmErrorLog>();
            break;
        case 2:
            openEditor<frmCookieLog>();
            break;
        default:
            openEditor<frmCustomLog>();
            break;
        }
    });
    logLayout->addWidget(cmdLogProperties);
    layout->addWidget(logging);

    auto* advancedRow = new QHBoxLayout;
    advancedRow->addStretch(1);
    auto* cmdAdvanced = PageWidgets::button(this, "cmdAdvanced", "Advanced...");
    connect(cmdAdvanced, &QPushButton::clicked, this, [this] { openEditor<frmOtherSettings>(); });
    advancedRow->addWidget(cmdAdvanced);
    layout->addLayout(advancedRow);
    layout->addStretch(1);

    for (QLineEdit* e : {m_txtDescription, m_txtVirtualHost})
        connect(e, &QLineEdit::textEdited, this, [this] { setChanged(); });
}

void ppgServerSettings::ResetControls()
{
    m_cmbLogs->setCurrentIndex(3);
    m_txtDescription->clear();
    m_txtVirtualHost->clear();
    m_loadedAddress.clear();
}

QString ppgServerSettings::GetVHostDescription(std::int32_t vhostNo) const
{
    if (!model())
        return {};
    const Directive* d = model()->GetVHostDescriptionDirective(vhostNo);
    if (!d)
        return {};
    const std::string text = Trim(d->DirectiveString());
    static const std::string marker = "#CORVANE_VHOST_DESCRIPTION";
    if (UCase(text).rfind(marker, 0) != 0)
        return {};
    return TextCodec::toQ(Trim(text.substr(marker.size())));
}

void ppgServerSettings::LoadControls()
{
    m_cmbLogs->setCurrentIndex(3); // "Custom Log"
    const bool vhost = !isMainServer();
    if (vhost) {
        m_txtDescription->setText(GetVHostDescription(scopeNo()));
        if (const Directive* node = nodeDirective())
            if (const DirectiveScop* scope = node->GetCurrentScopeDirective())
                m_loadedAddress = TextCodec::toQ(Trim(scope->GetParamList()));
        m_txtVirtualHost->setText(m_loadedAddress);
    } else {
        m_txtDescription->setText(QStringLiteral("MainServer"));
        for (QWidget* w : {static_cast<QWidget*>(m_lblDescription), static_cast<QWidget*>(m_lblVirtualHost),
                           static_cast<QWidget*>(m_txtDescription), static_cast<QWidget*>(m_txtVirtualHost),
                           static_cast<QWidget*>(m_cmdEditSrvrAlias)})
            w->setEnabled(false);
    }
}

bool ppgServerSettings::SaveDirectivesFromGUI()
{
    // ServerName and ServerAdmin take one value: a blank inside would split
    // it, so such a value is refused and the directive left as it is.
    QList<QLineEdit*> held;
    for (QLineEdit* e : {m_txtServerName, m_txtServerAdmin}) {
        if (isWritable(e) && e->text().trimmed().contains(u' ')) {
            MessageBox::information(
                this, QStringLiteral("%1 takes a single value without blanks; it was not changed.")
                          .arg(FormSupport::tagOf(e)));
            e->setEnabled(false);
            held << e;
        }
    }
    const bool saved = CorvanePage::SaveDirectivesFromGUI();
    for (QLineEdit* e : held)
        e->setEnabled(true);
    if (!saved)
        return false;
    if (isWritable(m_txtDescription) && !isMainServer()) {
        // A host without a description gets no empty marker line.
        const QString description = m_txtDescription->text().trimmed();
        if (!description.isEmpty() || model()->GetVHostDescriptionDirective(scopeNo()))
            model()->UpdateVhostDescription(TextCodec::fromQ(description), scopeNo());
    }
    if (!isMainServer())
        saveAddress();
    return true;
}

void ppgServerSettings::saveAddress()
{
    if (!isWritable(m_txtVirtualHost))
        return;
    Directive* node = nodeDirective();
    const DirectiveScop* scope = node ? node->GetCurrentScopeDirective() : nullptr;
    if (!scope)
        return;
    const std::string oldAddress = Trim(scope->GetParamList());
    QString typed = m_txtVirtualHost->text().trimmed();
    const std::string newAddress = Trim(TextCodec::fromQ(typed, oldAddress));
    if (UCase(oldAddress) == UCase(newAddress))
        return;
    const QString problem = InputRules::checkVirtualHostAddress(typed);
    if (!problem.isEmpty()) {
        MessageBox::information(this, problem);
        m_txtVirtualHost->setText(TextCodec::toQ(oldAddress));
        return;
    }
    model()->UpdateScopeDirectiveParameterList(newAddress, scopeNo());
    m_loadedAddress = typed;
    const std::string port = GetPortFromAddress(newAddress);
    if (!port.empty() && !model()->IsPortExists(port)) {
        const QString question = QStringLiteral("Server is not listening on the port ") +
                                 TextCodec::toQ(port) + QStringLiteral(" !") + QStringLiteral("\r\n") +
                                 QStringLiteral("Do you want to add this port ?");
        if (MessageBox::question(this, question) == QMessageBox::Yes)
            model()->SaveAsNewDirective("Listen", port, -1);
    }
}

} // namespace corvane

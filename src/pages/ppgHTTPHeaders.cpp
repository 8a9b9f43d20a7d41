#include "pages/ppgHTTPHeaders.h"

#include "dialogs/ModulePrompt.h"
#include "dialogs/frmExpireByType.h"
#include "dialogs/frmHTTPHeaders.h"
#include "dialogs/frmMIMEConfig.h"
#include "forms/FormSupport.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/ModelProcedures.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

ppgHTTPHeaders::ppgHTTPHeaders(QWidget* parent)
    : CorvanePage(QStringLiteral("HTTP Headers"), 170, MainServer | Sections, parent),
      m_headers(new frmHTTPHeaders(this)), m_expires(new frmExpireByType(this))
{
    setObjectName(QStringLiteral("ppgHTTPHeaders"));
    for (FormDialog* d : std::initializer_list<FormDialog*>{m_headers, m_expires})
        d->form().helpHandler = [this](int id) { showHelpContext(id); };
    // The rule lists live in the dialogs; the page reads and writes them.
    bindList(m_headers->lstvResponse(), QStringLiteral("Header"), RowShape::HeaderRule);
    bindList(m_headers->lstvRequest(), QStringLiteral("RequestHeader"), RowShape::HeaderRule);
    bindList(m_expires->lstvExpiresByType(), QStringLiteral("ExpiresByType"), RowShape::FirstRest);

    auto* layout = new QVBoxLayout(this);
    auto* custom = new QGroupBox(QStringLiteral("Custom HTTP Headers"), this);
    auto* cg = new QGridLayout(custom);
    m_cmdEditResponseHeader = PageWidgets::button(custom, "cmdEditResponseHeader", "Edit...");
    setTag(m_cmdEditResponseHeader, QStringLiteral("Header"));
    m_cmdEditRequestHeader = PageWidgets::button(custom, "cmdEditRequestHeader", "Edit...");
    setTag(m_cmdEditRequestHeader, QStringLiteral("RequestHeader"));
    cg->addWidget(new QLabel(QStringLiteral("Response Headers :"), custom), 0, 0);
    cg->addWidget(m_cmdEditResponseHeader, 0, 1);
    cg->addWidget(new QLabel(QStringLiteral("Request Headers :"), custom), 1, 0);
    cg->addWidget(m_cmdEditRequestHeader, 1, 1);
    cg->setColumnStretch(2, 1);
    layout->addWidget(custom);

    auto* expiry = new QGroupBox(QStringLiteral("Content Expiry"), this);
    expiry->setObjectName(QStringLiteral("frameExpiresActive"));
    auto* eg = new QGridLayout(expiry);
    m_chkExpiresActive = new QCheckBox(QStringLiteral("Expires Active"), expiry);
    m_chkExpiresActive->setObjectName(QStringLiteral("chkExpiresActive"));
    setTag(m_chkExpiresActive, QStringLiteral("ExpiresActive"));
    eg->addWidget(m_chkExpiresActive, 0, 0, 1, 2);
    m_txtExpiresDefault = PageWidgets::lineEdit(expiry, "txtExpiresDefault");
    bindDirective(m_txtExpiresDefault, QStringLiteral("ExpiresDefault"), ReadAs::Unquoted, WriteAs::Path);
    m_lblExpiresDefault = new QLabel(QStringLiteral("Expires Default :"), expiry);
    m_lblExpiresDefault->setObjectName(QStringLiteral("lblExpiresDefault"));
    m_lblExpiresDefault->setBuddy(m_txtExpiresDefault);
    eg->addWidget(m_lblExpiresDefault, 1, 0);
    eg->addWidget(m_txtExpiresDefault, 1, 1);
    m_cmdEditExpiresByType = PageWidgets::button(expiry, "cmdEditExpiresByType", "Edit...");
    setTag(m_cmdEditExpiresByType, QStringLiteral("ExpiresByType"));
    m_lblExpiresByType = new QLabel(QStringLiteral("Expires By Type :"), expiry);
    m_lblExpiresByType->setObjectName(QStringLiteral("lblExpiresByType"));
    eg->addWidget(m_lblExpiresByType, 2, 0);
    auto* byType = new QHBoxLayout;
    byType->addWidget(m_cmdEditExpiresByType);
    byType->addStretch(1);
    eg->addLayout(byType, 2, 1);
    layout->addWidget(expiry);

    auto* mime = new QGroupBox(QStringLiteral("MIME Map"), this);
    auto* mimeLayout = new QHBoxLayout(mime);
    auto* mimeLabel =
        new QLabel(QStringLiteral("Configure the MIME types for all the web sites on this computer :"), mime);
    mimeLabel->setWordWrap(true);
    mimeLayout->addWidget(mimeLabel, 1);
    QPushButton* cmdEditMimeMap = PageWidgets::button(mime, "cmdEditMimeMap", "Edit...");
    mimeLayout->addWidget(cmdEditMimeMap);
    layout->addWidget(mime);
    layout->addStretch(1);

    connect(m_chkExpiresActive, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked && canOpenEditor() &&
            !ModulePrompt::EnsureModuleLoaded(this, editorInputs(), "expires_module"))
            m_chkExpiresActive->setChecked(false);
        showExpiry();
        setChanged();
    });
    connect(m_cmdEditResponseHeader, &QPushButton::clicked, this, [this] { editHeaders(true); });
    connect(m_cmdEditRequestHeader, &QPushButton::clicked, this, [this] { editHeaders(false); });
    connect(m_cmdEditExpiresByType, &QPushButton::clicked, this, [this] {
        if (!canOpenEditor())
            return;
        m_expires->exec();
        setChanged();
    });
    connect(cmdEditMimeMap, &QPushButton::clicked, this, [this] { openEditor<frmMIMEConfig>(); });
}

void ppgHTTPHeaders::editHeaders(bool response)
{
    if (!canOpenEditor())
        return;
    // Response headers need mod_headers; the request list is edited as it is.
    if (response && !ModulePrompt::EnsureModuleLoaded(this, editorInputs(), "headers_module"))
        return;
    m_headers->showList(response);
    m_headers->exec();
    setChanged();
}

void ppgHTTPHeaders::showExpiry()
{
    const bool on = m_chkExpiresActive->isChecked();
    form().setUsable(m_txtExpiresDefault, on);
    form().setUsable(m_cmdEditExpiresByType, on);
    m_lblExpiresDefault->setEnabled(on);
    m_lblExpiresByType->setEnabled(on);
}

void ppgHTTPHeaders::ResetControls()
{
    m_kept.clear();
    m_chkExpiresActive->setChecked(false);
    showExpiry();
}

QString ppgHTTPHeaders::expiresActive() const
{
    // Expiry without a default or a rule by type is written as off.
    if (m_txtExpiresDefault->text().trimmed().isEmpty() &&
        m_expires->lstvExpiresByType()->topLevelItemCount() == 0)
        return QStringLiteral("Off");
    return m_chkExpiresActive->isChecked() ? QStringLiteral("On") : QStringLiteral("Off");
}

void ppgHTTPHeaders::LoadControls()
{
    for (FormDialog* d : std::initializer_list<FormDialog*>{m_headers, m_expires}) {
        d->setContext(context());
        d->setNodeContext(FormSupport::contextOfScope(model(), scopeNo()));
        // Gated with the page, so Apply knows what the server's version
        // accepts even when a dialog was never opened.
        d->gateControls();
    }
    // The MIME types the whole configuration declares are offered by type.
    QStringList types;
    for (int i = 1; i <= model()->GetDirectiveCount(); ++i) {
        const Directive* d = model()->GetDirective(i);
        if (!d || d->GetType() != Directive::TypeSimple || UCase(d->GetDirectiveName()) != "ADDTYPE")
            continue;
        const QString type = TextCodec::toQ(FormBindings::unquoted(d->GetParam(1))).trimmed();
        if (!type.isEmpty() && !types.contains(type))
            types << type;
    }
    m_expires->setMimeTypes(types);

    const QStringList active = FormBindings::paramsOf(*model(), scopeNo(), QStringLiteral("ExpiresActive"));
    m_chkExpiresActive->setChecked(active.value(0).toUpper() == QLatin1String("ON"));
    showExpiry();
    m_kept.remember(QStringLiteral("ExpiresActive"), expiresActive());
}

bool ppgHTTPHeaders::SaveDirectivesFromGUI()
{
    // Expiry switched off takes its rules by type with it.
    if (isWritable(m_chkExpiresActive) && !m_chkExpiresActive->isChecked())
        m_expires->lstvExpiresByType()->clear();
    if (!CorvanePage::SaveDirectivesFromGUI())
        return false;
    const QString active = expiresActive();
    if (isWritable(m_chkExpiresActive) && m_kept.changed(QStringLiteral("ExpiresActive"), active)) {
        updateDirective(QStringLiteral("ExpiresActive"), active);
        m_kept.remember(QStringLiteral("ExpiresActive"), active);
    }
    return true;
}

} // namespace corvane

#include "pages/ppgDirectorySecurity.h"

#include "dialogs/FrmPermissionWizard.h"
#include "dialogs/frmDirOptions.h"
#include "forms/FormSupport.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QStringList kOverrides{QStringLiteral("All"), QStringLiteral("None"), QStringLiteral("AuthConfig"),
                             QStringLiteral("Limit"), QStringLiteral("FileInfo")};
const QStringList kHandlers{QStringLiteral("None"),          QStringLiteral("default-handler"),
                            QStringLiteral("send-as-is"),    QStringLiteral("cgi-script"),
                            QStringLiteral("imap-file"),     QStringLiteral("server-info"),
                            QStringLiteral("server-status"), QStringLiteral("type-map")};
const QString kMutualFailure = QStringLiteral("Mutual Failure");

QStringList words(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

ppgDirectorySecurity::ppgDirectorySecurity(QWidget* parent)
    : CorvanePage(QStringLiteral("Directory Security"), 160, MainServer | Sections | FileEntries, parent),
      m_dirOptions(new frmDirOptions(this))
{
    setObjectName(QStringLiteral("ppgDirectorySecurity"));
    m_dirOptions->form().helpHandler = [this](int id) { showHelpContext(id); };
    auto* layout = new QVBoxLayout(this);

    auto* access = new QGroupBox(QStringLiteral("Authenticated Access"), this);
    auto* grid = new QGridLayout(access);
    int row = 0;
    auto add = [&](const QString& label, QWidget* control, QWidget* extra = nullptr) {
        auto* l = new QLabel(label, access);
        l->setBuddy(control);
        grid->addWidget(l, row, 0);
        grid->addWidget(control, row, 1);
        if (extra)
            grid->addWidget(extra, row, 2);
        ++row;
        return l;
    };
    auto combo = [&](const char* name, const QStringList& entries, bool editable, const QString& tag) {
        auto* c = new QComboBox(access);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(editable);
        if (!editable)
            c->addItem(QString()); // the empty choice removes the directive
        c->addItems(entries);
        setTag(c, tag);
        connect(c, &QComboBox::activated, this, [this] { setChanged(); });
        if (editable)
            connect(c, &QComboBox::editTextChanged, this, [this] { setChanged(); });
        return c;
    };
    auto text = [&](const char* name, const QString& tag) {
        QLineEdit* e = PageWidgets::lineEdit(access, name);
        setTag(e, tag);
        connect(e, &QLineEdit::textEdited, this, [this] { setChanged(); });
        return e;
    };
    m_cmbOrder =
        combo("cmbOrder", {QStringLiteral("Allow,Deny"), QStringLiteral("Deny,Allow"), kMutualFailure}, false,
              QStringLiteral("Order"));
    add(QStringLiteral("Order :"), m_cmbOrder);
    m_txtAllow = text("txtAllow", QStringLiteral("Allow"));
    add(QStringLiteral("Allow from :"), m_txtAllow);
    m_txtDeny = text("txtDeny", QStringLiteral("Deny"));
    m_cmdWizard = PageWidgets::button(access, "CmdWizard", "Wizard...");
    setTag(m_cmdWizard, QStringLiteral("Allow"));
    add(QStringLiteral("Deny from :"), m_txtDeny, m_cmdWizard);
    m_cmbRequire = combo("cmbRequire",
                         {QStringLiteral("user"), QStringLiteral("group"), QStringLiteral("valid-user"),
                          QStringLiteral("file-owner"), QStringLiteral("file-group")},
                         true, QStringLiteral("Require"));
    add(QStringLiteral("Require :"), m_cmbRequire);
    m_txtRequireFields = text("txtRequireFields", QStringLiteral("Require"));
    add(QStringLiteral("'Require' fields"), m_txtRequireFields);
    m_cmbSatisfy =
        combo("cmbSatisfy", {QStringLiteral("any"), QStringLiteral("all")}, false, QStringLiteral("Satisfy"));
    add(QStringLiteral("Satisfy :"), m_cmbSatisfy);
    m_cmbAuthenticationAuthoritative =
        combo("cmbAuthenticationAuthoritative", {QStringLiteral("on"), QStringLiteral("off")}, false,
              QStringLiteral("AuthAuthoritative"));
    add(QStringLiteral("Authentication Authoritative :"), m_cmbAuthenticationAuthoritative);
    auto fileRow = [&](const char* name, const QString& tag, const char* browseName, const QString& label) {
        QLineEdit* e = text(name, tag);
        QPushButton* b = PageWidgets::button(access, browseName, "Browse...");
        addBrowseButton(b, e);
        connect(b, &QPushButton::clicked, this, [this, e] { browse(e); });
        add(label, e, b);
        return e;
    };
    m_txtAuthenticationUserFile =
        fileRow("txtAuthenticationUserFile", QStringLiteral("AuthUserFile"), "cmdBrowseAuthUserFile",
                QStringLiteral("Authentication User File :"));
    m_txtAuthenticationGroupFile =
        fileRow("txtAuthenticationGroupFile", QStringLiteral("AuthGroupFile"), "cmdBrowseAuthGroupFile",
                QStringLiteral("Authentication Group File :"));
    layout->addWidget(access);

    auto* override = new QGroupBox(QStringLiteral("Allow Override"), this);
    auto* og = new QGridLayout(override);
    m_lstAllowOverride = new QListWidget(override);
    m_lstAllowOverride->setObjectName(QStringLiteral("lstAllowOverride"));
    m_lstAllowOverride->setSelectionMode(QAbstractItemView::MultiSelection);
    m_lstAllowOverride->setMaximumHeight(110);
    setTag(m_lstAllowOverride, QStringLiteral("AllowOverride"));
    connect(m_lstAllowOverride, &QListWidget::itemSelectionChanged, this, [this] { setChanged(); });
    m_lblAllowOverride = new QLabel(QStringLiteral("Allow Overrides :"), override);
    m_lblAllowOverride->setObjectName(QStringLiteral("lblAllowOverride"));
    og->addWidget(m_lblAllowOverride, 0, 0, Qt::AlignTop);
    og->addWidget(m_lstAllowOverride, 0, 1);
    m_cmbSetHandler = new QComboBox(override);
    m_cmbSetHandler->setObjectName(QStringLiteral("cmbSetHandler"));
    m_cmbSetHandler->setEditable(true);
    setTag(m_cmbSetHandler, QStringLiteral("SetHandler"));
    connect(m_cmbSetHandler, &QComboBox::editTextChanged, this, [this] { setChanged(); });
    m_lblSetHandler = new QLabel(QStringLiteral("Set Handler :"), override);
    m_lblSetHandler->setObjectName(QStringLiteral("lblSetHandler"));
    og->addWidget(m_lblSetHandler, 1, 0);
    og->addWidget(m_cmbSetHandler, 1, 1);
    m_cmdEditOptions = PageWidgets::button(override, "cmdEditOptions", "Edit...");
    setTag(m_cmdEditOptions, QStringLiteral("Options"));
    og->addWidget(new QLabel(QStringLiteral("Options:"), override), 2, 0);
    auto* optionsRow = new QHBoxLayout;
    optionsRow->addWidget(m_cmdEditOptions);
    optionsRow->addStretch(1);
    og->addLayout(optionsRow, 2, 1);
    layout->addWidget(override);
    layout->addStretch(1);

    connect(m_cmdEditOptions, &QPushButton::clicked, this, [this] {
        if (!canOpenEditor())
            return;
        m_dirOptions->exec();
        setChanged();
    });
    connect(m_cmdWizard, &QPushButton::clicked, this, &ppgDirectorySecurity::runWizard);
}

QString ppgDirectorySecurity::invalidHostEntry(const QString& hosts)
{
    static const QRegularExpression host(QStringLiteral("^[A-Za-z0-9._:/\\-\\[\\]]+$"));
    static const QRegularExpression env(QStringLiteral("^env=!?[^\\s\"'\\\\]+$"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const QString& w : words(hosts))
        if (!host.match(w).hasMatch() && !env.match(w).hasMatch())
            return w;
    return {};
}

QStringList ppgDirectorySecurity::paramsOf(const QString& directive, int* number) const
{
    return FormBindings::paramsOf(*model(), scopeNo(), directive, number);
}

void ppgDirectorySecurity::showCombo(QComboBox* combo, const QString& text)
{
    const int i = text.isEmpty() ? -1 : combo->findText(text, Qt::MatchFixedString);
    if (combo->isEditable()) {
        if (i >= 0)
            combo->setCurrentIndex(i);
        combo->setEditText(i >= 0 ? combo->itemText(i) : text);
    } else {
        combo->setCurrentIndex(i >= 0 ? i : 0);
    }
}

void ppgDirectorySecurity::ResetControls()
{
    m_kept.clear();
    for (QComboBox* c : {m_cmbOrder, m_cmbSatisfy, m_cmbAuthenticationAuthoritative})
        c->setCurrentIndex(0);
    m_cmbRequire->setEditText(QString());
    for (QLineEdit* e : {m_txtAllow, m_txtDeny, m_txtRequireFields, m_txtAuthenticationUserFile,
                         m_txtAuthenticationGroupFile})
        e->clear();
    m_lstAllowOverride->clear();
    m_lstAllowOverride->addItems(kOverrides);
    m_cmbSetHandler->clear();
    m_cmbSetHandler->addItems(kHandlers);
    m_cmbSetHandler->setEditText(QString());
    m_lblAllowOverride->setEnabled(true);
    m_lblSetHandler->setEnabled(true);
    m_dirOptions->setOptions({});
}

void ppgDirectorySecurity::LoadControls()
{
    m_dirOptions->setContext(context());
    m_dirOptions->setNodeContext(FormSupport::contextOfScope(model(), scopeNo()));
    m_dirOptions->gateControls();

    // Handlers the server declares with AddHandler join the fixed ones.
    for (Directive* d : model()->GetAllMatchingSubDirectives("AddHandler", -1)) {
        const QString handler = TextCodec::toQ(FormBindings::unquoted(d->GetParam(1))).trimmed();
        if (!handler.isEmpty() && m_cmbSetHandler->findText(handler, Qt::MatchFixedString) < 0)
            m_cmbSetHandler->addItem(handler);
    }

    QString order = paramsOf(QStringLiteral("Order")).join(QString());
    if (order.compare(QLatin1String("Mutual-failure"), Qt::CaseInsensitive) == 0)
        order = kMutualFailure;
    showCombo(m_cmbOrder, order);
    const QStringList allow = paramsOf(QStringLiteral("Allow"));
    if (!allow.isEmpty() && !allow.first().isEmpty())
        m_txtAllow->setText(allow.mid(1).join(u' '));
    const QStringList deny = paramsOf(QStringLiteral("Deny"));
    if (!deny.isEmpty() && !deny.first().isEmpty())
        m_txtDeny->setText(deny.mid(1).join(u' '));
    const QStringList require = paramsOf(QStringLiteral("Require"));
    showCombo(m_cmbRequire, require.value(0));
    m_txtRequireFields->setText(require.mid(1).join(u' '));
    showCombo(m_cmbSatisfy, paramsOf(QStringLiteral("Satisfy")).join(u' '));
    showCombo(m_cmbAuthenticationAuthoritative, paramsOf(QStringLiteral("AuthAuthoritative")).join(u' '));
    m_txtAuthenticationUserFile->setText(readDirective(QStringLiteral("AuthUserFile"), ReadAs::Unquoted));
    m_txtAuthenticationGroupFile->setText(readDirective(QStringLiteral("AuthGroupFile"), ReadAs::Unquoted));

    int optionsNo = 0;
    const QStringList options = paramsOf(QStringLiteral("Options"), &optionsNo);
    m_dirOptions->setOptions(options, optionsNo);

    const Directive* node = nodeDirective();
    const int scopeType = isMainServer() || !node ? -1 : node->ScopeType();
    if (scopeType == DirectiveScop::ScopeDirectory) {
        for (const QString& p : paramsOf(QStringLiteral("AllowOverride"))) {
            if (p.isEmpty())
                continue;
            QList<QListWidgetItem*> found = m_lstAllowOverride->findItems(p, Qt::MatchFixedString);
            if (found.isEmpty()) // kept, so that writing the list back loses nothing
                found << new QListWidgetItem(p, m_lstAllowOverride);
            for (QListWidgetItem* item : found)
                item->setSelected(true);
        }
    } else if (scopeType >= 0) {
        form().setUsable(m_lstAllowOverride, false);
        m_lblAllowOverride->setEnabled(false);
    }
    if (scopeType == DirectiveScop::ScopeFiles) {
        form().setUsable(m_cmbSetHandler, false);
        m_lblSetHandler->setEnabled(false);
    } else {
        const QStringList handler = paramsOf(QStringLiteral("SetHandler"));
        if (!handler.isEmpty() && !handler.first().isEmpty())
            showCombo(m_cmbSetHandler, handler.join(u' '));
    }

    m_kept.remember(QStringLiteral("Order"), m_cmbOrder->currentText());
    m_kept.remember(QStringLiteral("Allow"), m_txtAllow->text());
    m_kept.remember(QStringLiteral("Deny"), m_txtDeny->text());
    m_kept.remember(
        QStringLiteral("Require"),
        (m_cmbRequire->currentText().trimmed() + u' ' + m_txtRequireFields->text().trimmed()).trimmed());
    m_kept.remember(QStringLiteral("Satisfy"), m_cmbSatisfy->currentText());
    m_kept.remember(QStringLiteral("AuthAuthoritative"), m_cmbAuthenticationAuthoritative->currentText());
    m_kept.remember(QStringLiteral("AuthUserFile"), m_txtAuthenticationUserFile->text());
    m_kept.remember(QStringLiteral("AuthGroupFile"), m_txtAuthenticationGroupFile->text());
    m_kept.remember(QStringLiteral("AllowOverride"), selectedOverrides());
    m_kept.remember(QStringLiteral("SetHandler"), m_cmbSetHandler->currentText());
    m_kept.remember(QStringLiteral("Options"), m_dirOptions->options());
}

QString ppgDirectorySecurity::selectedOverrides() const
{
    QStringList selected; // in list order, whatever order they were clicked in
    for (int i = 0; i < m_lstAllowOverride->count(); ++i)
        if (m_lstAllowOverride->item(i)->isSelected())
            selected << m_lstAllowOverride->item(i)->text();
    return selected.join(u' ');
}

void ppgDirectorySecurity::browse(QLineEdit* box)
{
    const QString name = FileDialog::getOpenFileName(this, QStringLiteral("Open"));
    if (name.isEmpty())
        return;
    box->setText(name);
    setChanged();
}

void ppgDirectorySecurity::runWizard()
{
    const QString allow = m_txtAllow->text().trimmed();
    const QString deny = m_txtDeny->text().trimmed();
    auto isList = [](const QString& t) { return !t.isEmpty() && t.toUpper() != QLatin1String("ALL"); };
    FrmPermissionWizard wizard(this);
    wizard.setContext(context());
    if (isList(allow))
        wizard.setEntries(true, allow.split(u' '));
    else if (isList(deny))
        wizard.setEntries(false, deny.split(u' '));
    else
        wizard.setEntries(false, {});
    wizard.exec();
    if (!wizard.Accepted)
        return;
    QString listed;
    for (const QString& e : wizard.entries())
        listed += u' ' + e;
    if (wizard.isAllowMode()) {
        m_txtDeny->setText(QStringLiteral("ALL"));
        m_txtAllow->setText(listed.trimmed());
    } else {
        m_txtAllow->setText(QStringLiteral("ALL"));
        m_txtDeny->setText(listed.trimmed());
    }
    setChanged();
}

bool ppgDirectorySecurity::write(const QString& directive, const QString& value, bool writable, WriteAs how)
{
    if (!writable || !m_kept.changed(directive, value))
        return false;
    updateDirective(directive, value, how);
    m_kept.remember(directive, value);
    return true;
}

void ppgDirectorySecurity::writeHosts(const QString& directive, QLineEdit* box)
{
    const QString hosts = box->text().trimmed();
    if (!isWritable(box) || !m_kept.changed(directive, hosts))
        return;
    const QString bad = invalidHostEntry(hosts);
    if (!bad.isEmpty()) {
        MessageBox::warning(this, QStringLiteral("\"%1\" in \"%2 from\" is not a host name, an IP address, a "
                                                 "network or an env= test.\n%2 was left as it was.")
                                      .arg(bad, directive));
        return;
    }
    updateDirective(directive, hosts.isEmpty() ? QString() : QStringLiteral("From ") + hosts);
    m_kept.remember(directive, hosts);
}

bool ppgDirectorySecurity::SaveDirectivesFromGUI()
{
    writeHosts(QStringLiteral("Allow"), m_txtAllow);
    writeHosts(QStringLiteral("Deny"), m_txtDeny);
    if (isWritable(m_cmbOrder) && m_kept.changed(QStringLiteral("Order"), m_cmbOrder->currentText())) {
        const QString shown = m_cmbOrder->currentText().trimmed();
        updateDirective(QStringLiteral("Order"),
                        shown == kMutualFailure ? QStringLiteral("Mutual-failure") : shown);
        m_kept.remember(QStringLiteral("Order"), shown);
    }
    write(QStringLiteral("Require"),
          (m_cmbRequire->currentText().trimmed() + u' ' + m_txtRequireFields->text().trimmed()).trimmed(),
          isWritable(m_cmbRequire));
    write(QStringLiteral("Satisfy"), m_cmbSatisfy->currentText(), isWritable(m_cmbSatisfy));
    write(QStringLiteral("AuthAuthoritative"), m_cmbAuthenticationAuthoritative->currentText(),
          isWritable(m_cmbAuthenticationAuthoritative));
    write(QStringLiteral("AuthUserFile"), m_txtAuthenticationUserFile->text(),
          isWritable(m_txtAuthenticationUserFile), WriteAs::Path);
    write(QStringLiteral("AuthGroupFile"), m_txtAuthenticationGroupFile->text(),
          isWritable(m_txtAuthenticationGroupFile), WriteAs::Path);
    write(QStringLiteral("AllowOverride"), selectedOverrides(), isWritable(m_lstAllowOverride));
    write(QStringLiteral("SetHandler"), m_cmbSetHandler->currentText(), isWritable(m_cmbSetHandler));
    write(QStringLiteral("Options"), m_dirOptions->options(), isWritable(m_cmdEditOptions));
    return true;
}

} // namespace corvane

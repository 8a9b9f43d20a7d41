#include "pages/ppgHomeDirectory.h"

#include "forms/FormSupport.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QStringList kStatuses{QStringLiteral("permanent"), QStringLiteral("temp"), QStringLiteral("seeother"),
                            QStringLiteral("gone")};

bool isStatus(const QString& word)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{3}$"));
    return kStatuses.contains(word, Qt::CaseInsensitive) || number.match(word).hasMatch();
}

// A status whose redirection has no target URL.
bool takesNoUrl(const QString& status)
{
    bool numeric = false;
    const int code = status.toInt(&numeric);
    return status.compare(QLatin1String("gone"), Qt::CaseInsensitive) == 0 ||
           (numeric && (code < 300 || code > 399));
}

QString part(QString text)
{
    text = text.trimmed();
    text.remove(u'"');
    if (text.contains(u' ') || text.contains(u'\t'))
        return u'"' + text + u'"';
    return text;
}

} // namespace

ppgHomeDirectory::ppgHomeDirectory(QWidget* parent)
    : CorvanePage(QStringLiteral("Home Directory"), 145, MainServer | Sections, parent)
{
    setObjectName(QStringLiteral("ppgHomeDirectory"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("When connecting to this resource, the content should come from :"), this));
    m_optDirectory = new QRadioButton(QStringLiteral("A directory located on this computer"), this);
    m_optDirectory->setObjectName(QStringLiteral("optDirectory"));
    m_optUrl = new QRadioButton(QStringLiteral("A redirection to a URL"), this);
    m_optUrl->setObjectName(QStringLiteral("OptUrl"));
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(m_optDirectory);
    modeGroup->addButton(m_optUrl);
    layout->addWidget(m_optDirectory);
    layout->addWidget(m_optUrl);

    m_directoryFrame = new QGroupBox(QStringLiteral("Directory on local computer"), this);
    m_directoryFrame->setObjectName(QStringLiteral("DirectoryFrame"));
    auto* dirGrid = new QGridLayout(m_directoryFrame);
    auto dirRow = [&](int r, const char* name, const QString& label, const QString& tag, ReadAs read,
                      WriteAs write) {
        QLineEdit* e = PageWidgets::lineEdit(m_directoryFrame, name);
        bindDirective(e, tag, read, write);
        auto* l = new QLabel(label, m_directoryFrame);
        l->setBuddy(e);
        dirGrid->addWidget(l, r, 0);
        dirGrid->addWidget(e, r, 1);
        return e;
    };
    m_txtDocumentRoot = dirRow(0, "txtDocumentRoot", QStringLiteral("DocumentRoot  :"),
                               QStringLiteral("DocumentRoot"), ReadAs::Unquoted, WriteAs::Path);
    m_txtUserDir = dirRow(1, "txtUserDir", QStringLiteral("UserDir :"), QStringLiteral("UserDir"),
                          ReadAs::ParamList, WriteAs::Text);
    m_txtUser = dirRow(2, "txtUser", QStringLiteral("User :"), QStringLiteral("User"), ReadAs::FirstParam,
                       WriteAs::Text);
    m_txtGroup = dirRow(3, "txtGroup", QStringLiteral("Group :"), QStringLiteral("Group"), ReadAs::FirstParam,
                        WriteAs::Text);
    layout->addWidget(m_directoryFrame);

    m_redirectFrame = new QGroupBox(QStringLiteral("Redirect to URL"), this);
    m_redirectFrame->setObjectName(QStringLiteral("RedirectFrame"));
    auto* redGrid = new QGridLayout(m_redirectFrame);
    const QString match = QStringLiteral("RedirectMatch");
    m_optDoNotSupportRE =
        new QRadioButton(QStringLiteral("Do not Support Regular Expression"), m_redirectFrame);
    m_optDoNotSupportRE->setObjectName(QStringLiteral("optDoNotSupportRE"));
    setTag(m_optDoNotSupportRE, QStringLiteral("Redirect"));
    m_optSupportRE = new QRadioButton(QStringLiteral("Support Regular Expression"), m_redirectFrame);
    m_optSupportRE->setObjectName(QStringLiteral("optSupportRE"));
    setTag(m_optSupportRE, match);
    auto* reGroup = new QButtonGroup(this);
    reGroup->addButton(m_optDoNotSupportRE);
    reGroup->addButton(m_optSupportRE);
    redGrid->addWidget(m_optDoNotSupportRE, 0, 0, 1, 2);
    redGrid->addWidget(m_optSupportRE, 1, 0, 1, 2);

    m_cmbStatus = new QComboBox(m_redirectFrame);
    m_cmbStatus->setObjectName(QStringLiteral("cmbStatus"));
    m_cmbStatus->setEditable(true); // numeric statuses (301, 410 ...) are shown as they stand
    m_cmbStatus->addItems(kStatuses);
    setTag(m_cmbStatus, match);
    m_txtUrlPath = PageWidgets::lineEdit(m_redirectFrame, "txtUrlPath");
    setTag(m_txtUrlPath, match);
    m_txtRegularExpression = PageWidgets::lineEdit(m_redirectFrame, "txtRegularExpression");
    setTag(m_txtRegularExpression, match);
    m_txtUrl = PageWidgets::lineEdit(m_redirectFrame, "txtUrl");
    setTag(m_txtUrl, match);
    auto label = [&](int r, const char* name, const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, m_redirectFrame);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(buddy);
        redGrid->addWidget(l, r, 0);
        redGrid->addWidget(buddy, r, 1);
        return l;
    };
    m_lblStatus = label(2, "lblStatus", QStringLiteral("Status :"), m_cmbStatus);
    m_lblUrlPath = label(3, "lblUrlPath", QStringLiteral("URL Path :"), m_txtUrlPath);
    m_lblRegularExpression =
        label(4, "lblRegularExpression", QStringLiteral("Regular Expression :"), m_txtRegularExpression);
    m_lblUrl = label(5, "lblUrl", QStringLiteral("Redirect to URL :"), m_txtUrl);
    layout->addWidget(m_redirectFrame);
    layout->addStretch(1);

    for (QLineEdit* e : {m_txtUrlPath, m_txtRegularExpression, m_txtUrl})
        connect(e, &QLineEdit::textEdited, this, [this] { setChanged(); });
    connect(m_cmbStatus, &QComboBox::editTextChanged, this, [this] { setChanged(); });
    connect(m_optDirectory, &QRadioButton::clicked, this, [this] {
        // Choosing the directory removes the section's redirection on
        // Apply: the administrator says so first, or it stays.
        const QString plain = m_kept.loaded(QStringLiteral("Redirect"));
        const QString match = m_kept.loaded(QStringLiteral("RedirectMatch"));
        const QString redirect = !match.isEmpty()   ? QStringLiteral("RedirectMatch ") + match
                                 : !plain.isEmpty() ? QStringLiteral("Redirect ") + plain
                                                    : QString();
        if (m_loadedUrlMode && !m_askedToDropRedirect && !redirect.isEmpty()) {
            const QString text =
                QStringLiteral("This resource is redirected (%1). With a directory on this computer the "
                               "redirection is removed when you apply.\n\nRemove the redirection?")
                    .arg(redirect);
            if (MessageBox::question(this, text) != QMessageBox::Yes) {
                m_optUrl->setChecked(true);
                showMode();
                return;
            }
            m_askedToDropRedirect = true;
        }
        showMode();
        setChanged();
    });
    connect(m_optUrl, &QRadioButton::clicked, this, [this] {
        showMode();
        setChanged();
    });
    connect(m_optDoNotSupportRE, &QRadioButton::clicked, this, [this] {
        m_txtRegularExpression->clear();
        showRegexMode();
        setChanged();
    });
    connect(m_optSupportRE, &QRadioButton::clicked, this, [this] {
        m_txtUrlPath->clear();
        showRegexMode();
        setChanged();
    });
}

void ppgHomeDirectory::setUsable(QWidget* control, bool usable)
{
    form().setUsable(control, usable);
}

void ppgHomeDirectory::showMode()
{
    const bool url = m_optUrl->isChecked();
    m_directoryFrame->setVisible(!url);
    m_redirectFrame->setVisible(url);
}

void ppgHomeDirectory::showRegexMode()
{
    const bool regex = m_optSupportRE->isChecked();
    const bool plain = m_optDoNotSupportRE->isChecked();
    setUsable(m_txtRegularExpression, regex);
    m_lblRegularExpression->setEnabled(regex);
    setUsable(m_txtUrlPath, plain);
    m_lblUrlPath->setEnabled(plain);
    m_lblUrl->setEnabled(plain || regex);
}

void ppgHomeDirectory::ResetControls()
{
    m_kept.clear();
    for (QLineEdit* e : {m_txtUrlPath, m_txtRegularExpression, m_txtUrl})
        e->clear();
    m_cmbStatus->setCurrentIndex(-1);
    m_cmbStatus->setEditText(QString());
    m_optDirectory->setChecked(true);
    m_optDoNotSupportRE->setChecked(true);
    m_loadedUrlMode = false;
    showMode();
}

void ppgHomeDirectory::loadRedirect(const QString& directive, QLineEdit* source)
{
    Directive* d = model()->FindAppliedSubDirective(directive.toStdString(), scopeNo());
    if (!d || d->DirectiveNo() < 1)
        return;
    QStringList params;
    for (int i = 1; i <= d->GetParamCount(); ++i)
        params << TextCodec::toQ(FormBindings::unquoted(d->GetParam(i)));
    // Without a status word the first parameter is the source; Apache then
    // redirects temporarily, so the page shows "temp".
    if (!params.isEmpty() && !isStatus(params.first()))
        params.prepend(QStringLiteral("temp"));
    while (params.size() < 3)
        params << QString();
    m_optUrl->setChecked(true);
    (source == m_txtUrlPath ? m_optDoNotSupportRE : m_optSupportRE)->setChecked(true);
    m_txtUrlPath->clear();
    m_txtRegularExpression->clear();
    m_cmbStatus->setEditText(params[0]);
    const int i = m_cmbStatus->findText(params[0], Qt::MatchFixedString);
    if (i >= 0)
        m_cmbStatus->setCurrentIndex(i);
    source->setText(params[1]);
    m_txtUrl->setText(params[2]);
}

void ppgHomeDirectory::LoadControls()
{
    loadRedirect(QStringLiteral("Redirect"), m_txtUrlPath);
    loadRedirect(QStringLiteral("RedirectMatch"), m_txtRegularExpression); // wins when both exist
    m_loadedUrlMode = m_optUrl->isChecked();
    m_askedToDropRedirect = false;
    showMode();
    showRegexMode();

    m_kept.remember(QStringLiteral("Redirect"), currentRedirect());
    m_kept.remember(QStringLiteral("RedirectMatch"), currentRedirectMatch());
}

QString ppgHomeDirectory::redirectValue(const QString& status, const QString& source, const QString& url)
{
    const QString s = status.trimmed();
    const QString from = part(source);
    QString to = part(url);
    if (s.isEmpty() || from.isEmpty())
        return {};
    if (takesNoUrl(s))
        return s + u' ' + from;
    if (to.isEmpty())
        return {};
    if (!to.contains(QLatin1String("://")))
        to = QStringLiteral("http://") + to;
    return s + u' ' + from + u' ' + to;
}

QString ppgHomeDirectory::currentRedirect() const
{
    return redirectValue(m_cmbStatus->currentText(), m_txtUrlPath->text(), m_txtUrl->text());
}

QString ppgHomeDirectory::currentRedirectMatch() const
{
    return redirectValue(m_cmbStatus->currentText(), m_txtRegularExpression->text(), m_txtUrl->text());
}

bool ppgHomeDirectory::SaveDirectivesFromGUI()
{
    // The node keeps its directory settings or its redirection, never both:
    // when the choice was switched, the other side's boxes are emptied and
    // their directives removed below.
    if (m_optUrl->isChecked() != m_loadedUrlMode) {
        if (m_optUrl->isChecked()) {
            for (QLineEdit* e : {m_txtDocumentRoot, m_txtUserDir, m_txtUser, m_txtGroup})
                e->clear();
        } else {
            m_cmbStatus->setCurrentIndex(-1);
            m_cmbStatus->setEditText(QString());
            for (QLineEdit* e : {m_txtRegularExpression, m_txtUrlPath, m_txtUrl})
                e->clear();
        }
    }

    if (!CorvanePage::SaveDirectivesFromGUI())
        return false;

    auto writeRedirect = [&](QWidget* gate, const QString& directive, const QString& value) {
        if (form().isGatedOff(gate) || !m_kept.changed(directive, value))
            return;
        updateDirective(directive, value);
        m_kept.remember(directive, value);
    };
    writeRedirect(m_optDoNotSupportRE, QStringLiteral("Redirect"), currentRedirect());
    writeRedirect(m_optSupportRE, QStringLiteral("RedirectMatch"), currentRedirectMatch());
    m_loadedUrlMode = m_optUrl->isChecked();
    return true;
}

} // namespace corvane

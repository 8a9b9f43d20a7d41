#include "dialogs/frmLogs.h"

#include "dialogs/DialogParts.h"
#include "dialogs/ModulePrompt.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"
#include "model/ConfigFile.h"
#include "model/ModelProcedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

// One bound file box: the transfer and cookie logs.
QLineEdit* singleLog(CorvaneDialog* dialog, QWidget* parent, const char* name, const QString& directive)
{
    QLineEdit* box = PageWidgets::lineEdit(parent, name);
    box->setMinimumWidth(320);
    dialog->bindings().bindDirective(box, directive, FormBindings::ReadAs::Unquoted,
                                     FormBindings::WriteAs::Path);
    return box;
}

QWidget* logTab(CorvaneDialog* dialog, const QString& title, QGridLayout** grid)
{
    auto* tabs = new QTabWidget(dialog);
    auto* page = new QWidget(tabs);
    *grid = new QGridLayout(page);
    tabs->addTab(page, title);
    return tabs;
}

struct Token
{
    const char* token;
    const char* description;
};

const Token kExtended[] = {
    {"%t", "Time the request was received"},
    {"%{format}t", "Time the request was received, in the given strftime format"},
    {"%T", "Time taken to serve the request, in seconds"},
    {"%%", "The percent sign"},
    {"%a", "Remote IP address"},
    {"%A", "Local IP address"},
    {"%B", "Size of the response in bytes, excluding HTTP headers"},
    {"%b", "Size of the response in bytes, excluding HTTP headers, \"-\" for none"},
    {"%{Foobar}C", "The contents of cookie Foobar in the request"},
    {"%D", "Time taken to serve the request, in microseconds"},
    {"%{FOOBAR}e", "The contents of the environment variable FOOBAR"},
    {"%f", "Filename"},
    {"%h", "Remote host"},
    {"%H", "The request protocol"},
    {"%{Foobar}i", "The contents of Foobar: header line(s) in the request"},
    {"%l", "Remote logname (from identd, if supplied)"},
    {"%m", "The request method"},
    {"%{Foobar}n", "The contents of note Foobar from another module"},
    {"%{Foobar}o", "The contents of Foobar: header line(s) in the reply"},
    {"%p", "The canonical port of the server serving the request"},
    {"%q", "The query string"},
    {"%r", "First line of request"},
    {"%s", "Status"},
    {"%u", "Remote user (from auth)"},
    {"%U", "The URL path requested, not including any query string"},
    {"%v", "The canonical ServerName of the server serving the request"},
    {"%V", "The server name according to the UseCanonicalName setting"},
    {"%X", "Connection status when response is completed"},
    {"%I", "Bytes received, including request and headers (mod_logio)"},
    {"%O", "Bytes sent, including headers (mod_logio)"},
};
const Token kProcess[] = {
    {"%P", "The process ID of the child that serviced the request"},
    {"%{format}P", "The process or thread ID of the child that serviced the request"},
};

// The text a leaf's token is found by: a token with an argument in braces
// by its closing brace and final letter.
QString searchText(const QString& token)
{
    return token.contains(u'}') ? token.mid(token.indexOf(u'}')) : token;
}

bool containsToken(const QString& text, const QString& token)
{
    return text.contains(searchText(token));
}

} // namespace

// ---- transfer and cookie logs -------------------------------------------------

frmTransferLog::frmTransferLog(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmTransferLog"), QStringLiteral("Transfer Log"), 1020, parent)
{
    QGridLayout* grid = nullptr;
    body()->addWidget(logTab(this, QStringLiteral("Transfer Log"), &grid));
    QLineEdit* box =
        singleLog(this, grid->parentWidget(), "txtTransferLogToFile", QStringLiteral("TransferLog"));
    DialogParts::row(grid, QStringLiteral("Log To File:"), box);
}

frmCookieLog::frmCookieLog(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmCookieLog"), QStringLiteral("Cookie Log"), 1021, parent)
{
    QGridLayout* grid = nullptr;
    body()->addWidget(logTab(this, QStringLiteral("Cookie Log"), &grid));
    QLineEdit* box = singleLog(this, grid->parentWidget(), "txtCookieFile", QStringLiteral("CookieLog"));
    DialogParts::row(grid, QStringLiteral("Cookie file:"), box);
}

// ---- error log ------------------------------------------------------------------

frmErrorLog::frmErrorLog(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmErrorLog"), QStringLiteral("Error Log"), 1022, parent)
{
    QGridLayout* grid = nullptr;
    body()->addWidget(logTab(this, QStringLiteral("Error Log"), &grid));
    QWidget* page = grid->parentWidget();
    m_optFileLog = new QRadioButton(QStringLiteral("Use File Log"), page);
    m_optFileLog->setObjectName(QStringLiteral("optFileLog"));
    m_optSystemLog = new QRadioButton(QStringLiteral("Use System Log"), page);
    m_optSystemLog->setObjectName(QStringLiteral("optSystemLog"));
    for (QRadioButton* o : {m_optFileLog, m_optSystemLog})
        FormSupport::setTag(o, QStringLiteral("ErrorLog"));
    grid->addWidget(m_optFileLog, 0, 0);
    grid->addWidget(m_optSystemLog, 0, 1);
    m_file = PageWidgets::lineEdit(page, "txtErrorLogToFile");
    m_file->setMinimumWidth(320);
    bindings().bindDirective(m_file, QStringLiteral("ErrorLog"), FormBindings::ReadAs::Unquoted,
                             FormBindings::WriteAs::Path);
    auto* label = new QLabel(QStringLiteral("File Name"), page);
    label->setObjectName(QStringLiteral("lblErrorLogToFile"));
    grid->addWidget(label, 1, 0);
    grid->addWidget(m_file, 1, 1);
    auto* level = new QComboBox(page);
    level->setObjectName(QStringLiteral("cmbLogLevel"));
    level->setEditable(true); // 2.4 levels per module ("warn ssl:info") show as written
    level->addItems({"emerg", "alert", "crit", "error", "warn", "notice", "info", "debug"});
    level->setCurrentIndex(-1);
    bindings().bindDirective(level, QStringLiteral("LogLevel"), FormBindings::ReadAs::ParamList);
    DialogParts::row(grid, QStringLiteral("Log Level:"), level);
    m_optFileLog->setChecked(true);
    connect(m_optFileLog, &QRadioButton::clicked, this, [this] {
        m_file->clear();
        showKind(false);
        markChanged();
    });
    connect(m_optSystemLog, &QRadioButton::clicked, this, [this] {
        m_file->setText(QStringLiteral("syslog:"));
        showKind(true);
        markChanged();
    });
}

void frmErrorLog::showKind(bool systemLog)
{
    if (auto* label = findChild<QLabel*>(QStringLiteral("lblErrorLogToFile")))
        label->setText(systemLog ? QStringLiteral("System Log") : QStringLiteral("File Name"));
}

void frmErrorLog::FormLoad()
{
    CorvaneDialog::FormLoad();
    const bool systemLog = m_file->text().trimmed().left(7).toUpper() == QLatin1String("SYSLOG:");
    (systemLog ? m_optSystemLog : m_optFileLog)->setChecked(true);
    showKind(systemLog);
}

bool frmErrorLog::SaveDirectivesFromGUI()
{
    const QString text = m_file->text().trimmed();
    if (m_optSystemLog->isChecked() && !text.toUpper().startsWith(QLatin1String("SYSLOG:")))
        m_file->setText(QStringLiteral("syslog:") + text);
    return CorvaneDialog::SaveDirectivesFromGUI();
}

// ---- custom log -----------------------------------------------------------------

QString frmCustomLog::quotedFormat(const QString& format)
{
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\\' && i + 1 < format.size()) {
            out += c;
            out += format.at(++i); // an escape stays as it is
            continue;
        }
        if (c == u'"')
            out += u'\\';
        out += c;
    }
    return u'"' + out + u'"';
}

QString frmCustomLog::plainFormat(const QString& parameter)
{
    QString p = parameter.trimmed();
    if (p.size() >= 2 && p.front() == u'"' && p.back() == u'"')
        p = p.mid(1, p.size() - 2);
    p.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    return p;
}

frmCustomLog::frmCustomLog(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmCustomLog"), QStringLiteral("Custom Log"), 1023, parent)
{
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("sstCustomLog"));
    body()->addWidget(tabs, 1);

    // Tab "Custom Log": the CustomLog lines and the boxes a new one is made in.
    auto* logs = new QWidget(tabs);
    auto* logsLayout = new QVBoxLayout(logs);
    m_customLogs = new QTreeWidget(logs);
    m_customLogs->setObjectName(QStringLiteral("lstvCustomLogs"));
    ListViewRows::setup(m_customLogs, {QStringLiteral("Log File Path"), QStringLiteral("Log Format")});
    bindings().bindList(m_customLogs, QStringLiteral("CustomLog"), FormBindings::RowShape::FirstRest);
    logsLayout->addWidget(m_customLogs, 1);
    auto* logGrid = new QGridLayout;
    QPushButton* browse = nullptr;
    m_logFilePath = DialogParts::fileBox(this, logs, "txtLogFilePath", "cmdBrowseLogFile", &browse);
    FormSupport::setTag(m_logFilePath, QStringLiteral("CustomLog"));
    DialogParts::row(logGrid, QStringLiteral("Log File Path:"), m_logFilePath, browse);
    logsLayout->addLayout(logGrid);
    auto* select = new QGroupBox(QStringLiteral("Select Log Format"), logs);
    auto* selectLayout = new QGridLayout(select);
    m_optFormatName = new QRadioButton(QStringLiteral("Format Name:"), select);
    m_optFormatName->setObjectName(QStringLiteral("optFormatName"));
    m_optFormat = new QRadioButton(QStringLiteral("Format:"), select);
    m_optFormat->setObjectName(QStringLiteral("optFormat"));
    m_optFormatName->setChecked(true);
    m_cmbLogFormat = new QComboBox(select);
    m_cmbLogFormat->setObjectName(QStringLiteral("cmbLogFormat"));
    m_cmbLogFormat->setEditable(true);
    FormSupport::setTag(m_cmbLogFormat, QStringLiteral("CustomLog"));
    selectLayout->addWidget(m_optFormatName, 0, 0);
    selectLayout->addWidget(m_optFormat, 0, 1);
    selectLayout->addWidget(m_cmbLogFormat, 1, 0, 1, 2);
    logsLayout->addWidget(select);
    auto* logButtons = new QHBoxLayout;
    logButtons->addStretch(1);
    QPushButton* save = PageWidgets::button(logs, "cmdAddCustomLog", "Save...");
    QPushButton* remove = PageWidgets::button(logs, "CmdRemove", "Remove");
    QPushButton* clear = PageWidgets::button(logs, "cmdClear", "Clear...");
    for (QPushButton* b : {save, remove, clear}) {
        FormSupport::setTag(b, QStringLiteral("CustomLog"));
        logButtons->addWidget(b);
    }
    logsLayout->addLayout(logButtons);
    tabs->addTab(logs, QStringLiteral("Custom Log"));
    connect(m_optFormatName, &QRadioButton::clicked, this, &frmCustomLog::fillFormatChoices);
    connect(m_optFormat, &QRadioButton::clicked, this, &frmCustomLog::fillFormatChoices);
    connect(save, &QPushButton::clicked, this, &frmCustomLog::addCustomLog);
    connect(remove, &QPushButton::clicked, this, [this] {
        if (ListViewRows::removeSelectedRow(m_customLogs))
            markChanged();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_logFilePath->clear();
        m_cmbLogFormat->setEditText(QString());
    });
    connect(m_customLogs, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (const QTreeWidgetItem* row = ListViewRows::selectedRow(m_customLogs)) {
            m_logFilePath->setText(row->text(0));
            m_cmbLogFormat->setEditText(row->text(1));
        }
    });

    // Tab "Log Format": the LogFormat lines and the token tree.
    auto* formats = new QWidget(tabs);
    auto* formatsLayout = new QGridLayout(formats);
    formatsLayout->addWidget(new QLabel(QStringLiteral("Formats Available:"), formats), 0, 0, 1, 2);
    m_formats = new QTreeWidget(formats);
    m_formats->setObjectName(QStringLiteral("lstvLogFormats"));
    ListViewRows::setup(m_formats, {QStringLiteral("Log Format"), QStringLiteral("Format Name")});
    m_formats->setColumnWidth(0, 360);
    bindings().bindList(m_formats, QStringLiteral("LogFormat"), FormBindings::RowShape::FirstRest);
    formatsLayout->addWidget(m_formats, 1, 0, 1, 2);
    m_formatName = PageWidgets::lineEdit(formats, "txtFormatName");
    m_logFormat = PageWidgets::lineEdit(formats, "txtLogFormat");
    for (QLineEdit* e : {m_formatName, m_logFormat})
        FormSupport::setTag(e, QStringLiteral("LogFormat"));
    formatsLayout->addWidget(new QLabel(QStringLiteral("Format Name:"), formats), 2, 0);
    formatsLayout->addWidget(m_formatName, 2, 1);
    formatsLayout->addWidget(new QLabel(QStringLiteral("Log Format:"), formats), 3, 0);
    formatsLayout->addWidget(m_logFormat, 3, 1);
    formatsLayout->addWidget(new QLabel(QStringLiteral("Logging Options:"), formats), 4, 0);
    m_tree = new QTreeWidget(formats);
    m_tree->setObjectName(QStringLiteral("tvLoggingOptions"));
    m_tree->setHeaderHidden(true);
    formatsLayout->addWidget(m_tree, 4, 1);
    auto* formatButtons = new QHBoxLayout;
    formatButtons->addStretch(1);
    QPushButton* saveFormat = PageWidgets::button(formats, "CmdSaveFormat", "Save...");
    QPushButton* removeFormat = PageWidgets::button(formats, "CmdRemoveFormat", "Remove");
    QPushButton* clearFormat = PageWidgets::button(formats, "CmdClearFormat", "Clear...");
    for (QPushButton* b : {saveFormat, removeFormat, clearFormat}) {
        FormSupport::setTag(b, QStringLiteral("LogFormat"));
        formatButtons->addWidget(b);
    }
    formatsLayout->addLayout(formatButtons, 5, 0, 1, 2);
    tabs->addTab(formats, QStringLiteral("Log Format"));
    connect(saveFormat, &QPushButton::clicked, this, &frmCustomLog::saveFormat);
    connect(removeFormat, &QPushButton::clicked, this, [this] {
        if (ListViewRows::removeSelectedRow(m_formats))
            markChanged();
    });
    connect(clearFormat, &QPushButton::clicked, this, [this] {
        m_formatName->clear();
        m_logFormat->clear();
        CheckOptionsFromContent();
    });
    connect(m_formats, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (const QTreeWidgetItem* row = ListViewRows::selectedRow(m_formats)) {
            m_logFormat->setText(plainFormat(row->text(0)));
            m_formatName->setText(row->text(1));
            CheckOptionsFromContent();
        }
    });
    connect(m_logFormat, &QLineEdit::textEdited, this, &frmCustomLog::CheckOptionsFromContent);
    connect(m_tree, &QTreeWidget::itemChanged, this, &frmCustomLog::treeItemChanged);
    fillTree();
    resize(680, 560);
}

void frmCustomLog::FormLoad()
{
    CorvaneDialog::FormLoad();
    fillFormatChoices();
}

void frmCustomLog::fillTree()
{
    m_updatingTree = true;
    m_tree->clear();
    auto root = [this](const char* key, const Token* tokens, std::size_t count) {
        auto* r = new QTreeWidgetItem(m_tree, {QString::fromLatin1(key)});
        r->setData(0, Qt::UserRole, QString::fromLatin1(key));
        r->setFlags(r->flags() | Qt::ItemIsUserCheckable);
        r->setCheckState(0, Qt::Unchecked);
        for (std::size_t i = 0; i < count; ++i) {
            const QString token = QString::fromLatin1(tokens[i].token);
            auto* leaf = new QTreeWidgetItem(r, {token + u' ' + QString::fromLatin1(tokens[i].description)});
            leaf->setData(0, Qt::UserRole, token);
            leaf->setFlags(leaf->flags() | Qt::ItemIsUserCheckable);
            leaf->setCheckState(0, Qt::Unchecked);
        }
        r->setExpanded(true);
    };
    root("Extended Properties", kExtended, std::size(kExtended));
    root("Process Accounting", kProcess, std::size(kProcess));
    m_updatingTree = false;
}

void frmCustomLog::CheckOptionsFromContent()
{
    m_updatingTree = true;
    const QString text = m_logFormat->text();
    for (int r = 0; r < m_tree->topLevelItemCount(); ++r) {
        QTreeWidgetItem* root = m_tree->topLevelItem(r);
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem* leaf = root->child(i);
            leaf->setCheckState(
                0, containsToken(text, leaf->data(0, Qt::UserRole).toString()) ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_updatingTree = false;
}

void frmCustomLog::treeItemChanged(QTreeWidgetItem* item)
{
    if (m_updatingTree)
        return;
    const bool checked = item->checkState(0) == Qt::Checked;
    QList<QTreeWidgetItem*> leaves;
    if (!item->parent()) {
        for (int i = 0; i < item->childCount(); ++i)
            leaves << item->child(i);
        m_updatingTree = true;
        for (QTreeWidgetItem* leaf : leaves)
            leaf->setCheckState(0, item->checkState(0));
        m_updatingTree = false;
    } else {
        leaves << item;
    }
    QString text = m_logFormat->text();
    for (const QTreeWidgetItem* leaf : leaves) {
        const QString token = leaf->data(0, Qt::UserRole).toString();
        if (checked) {
            if (text.trimmed().isEmpty())
                text = token;
            else if (!text.contains(token))
                text += u' ' + token; // tokens separated by one blank
        } else {
            text.remove(token);
        }
    }
    if (!checked)
        text = text.simplified();
    m_logFormat->setText(text);
}

void frmCustomLog::fillFormatChoices()
{
    const bool names = m_optFormatName->isChecked();
    m_cmbLogFormat->clear();
    for (int i = 0; i < m_formats->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_formats->topLevelItem(i);
        if (row->text(0).trimmed().isEmpty())
            continue;
        const QString choice = names ? row->text(1) : row->text(0);
        if (!choice.trimmed().isEmpty())
            m_cmbLogFormat->addItem(choice);
    }
    m_cmbLogFormat->setEditText(QString());
}

void frmCustomLog::addCustomLog()
{
    const QString file = m_logFilePath->text().trimmed();
    QString format = m_cmbLogFormat->currentText().trimmed();
    if (file.isEmpty() || format.isEmpty())
        return;
    // A format (not a name) is written as one quoted parameter.
    if (m_optFormat->isChecked() || format.contains(u' ')) {
        const bool quoted = format.size() >= 2 && format.front() == u'"' && format.back() == u'"';
        if (!quoted)
            format = quotedFormat(format);
    }
    for (int i = 0; i < m_customLogs->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_customLogs->topLevelItem(i);
        if (row->text(0).trimmed().toUpper() == file.toUpper() &&
            row->text(1).trimmed().toUpper() == format.toUpper())
            return; // listed already
    }
    ListViewRows::selectRow(
        m_customLogs, m_customLogs->indexOfTopLevelItem(ListViewRows::addRow(m_customLogs, {file, format})));
    m_logFilePath->clear();
    m_cmbLogFormat->setEditText(QString());
    markChanged();
}

void frmCustomLog::saveFormat()
{
    QString format = m_logFormat->text().trimmed();
    if (format.isEmpty())
        return;
    const QString upper = format.toUpper();
    if (upper.contains(QLatin1String("%I")) || upper.contains(QLatin1String("%O"))) {
        const bool compiledIn = ModulePrompt::isCompiledIn(inputs().context, "mod_logio");
        const bool loaded = ModulePrompt::EnsureModuleLoaded(
            this, inputs(),
            [compiledIn](const ConfigFile& model) {
                return compiledIn || IsModuleFileLoaded(model, "mod_logio", -1);
            },
            QStringLiteral(
                "Inorder to Implement %I/%O, mod_logio is to be loaded, Do you wish to load it now ?"));
        if (!loaded) {
            format.remove(QStringLiteral("%I"));
            format.remove(QStringLiteral("%O"));
            format = format.simplified();
            m_logFormat->setText(format);
            CheckOptionsFromContent();
            if (format.isEmpty())
                return;
        }
    }
    const QString name = m_formatName->text().trimmed();
    const QString quoted = quotedFormat(format);
    // A format saved under a name listed already replaces that one.
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < m_formats->topLevelItemCount() && !name.isEmpty(); ++i)
        if (m_formats->topLevelItem(i)->text(1).trimmed() == name)
            row = m_formats->topLevelItem(i);
    if (row) {
        if (plainFormat(row->text(0)) == format)
            return; // the same format: its line stays as written
        row->setText(0, quoted);
    } else {
        row = ListViewRows::addRow(m_formats, {quoted, name});
    }
    m_formats->blockSignals(true);
    ListViewRows::selectRow(m_formats, m_formats->indexOfTopLevelItem(row));
    m_formats->blockSignals(false);
    fillFormatChoices();
    markChanged();
}

} // namespace corvane

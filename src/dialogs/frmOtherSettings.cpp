#include "dialogs/frmOtherSettings.h"

#include "dialogs/DialogParts.h"
#include "dialogs/EntrySpecs.h"
#include "dialogs/ModulePrompt.h"
#include "dialogs/frmAliases.h"
#include "dialogs/frmIcons.h"
#include "dialogs/frmLanguages.h"
#include "forms/EntryDialog.h"
#include "forms/PageWidgets.h"
#include "forms/UpDown.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/ModelProcedures.h"

#include <QCheckBox>
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

// First parameters of every such directive of the scope, without blanks.
QStringList firstParams(const ConfigFile* model, std::int32_t scope, const char* directive)
{
    QStringList out;
    if (!model)
        return out;
    for (const Directive* d : model->GetAllMatchingSubDirectives(directive, scope)) {
        const QString p = QString::fromStdString(Trim(d->GetParam(1)));
        if (d->DirectiveNo() >= 1 && !p.isEmpty() && !out.contains(p))
            out << p;
    }
    return out;
}

QComboBox* comboBox(QWidget* parent, const char* name, const QStringList& entries, bool editable)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(editable);
    c->addItems(entries);
    c->setCurrentIndex(-1);
    return c;
}

} // namespace

frmOtherSettings::frmOtherSettings(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmOtherSettings"), QStringLiteral("Advanced Server Settings"),
                    1100, parent)
{
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("sstOtherSettings"));
    body()->addWidget(tabs, 1);
    auto bindText = [this](QWidget* parentWidget, QGridLayout* grid, const char* name, const QString& label,
                           const char* directive) {
        QLineEdit* box = PageWidgets::lineEdit(parentWidget, name);
        bindings().bindDirective(box, QString::fromLatin1(directive), FormBindings::ReadAs::ParamList);
        DialogParts::row(grid, label, box);
        return box;
    };

    // ---- General: image maps and the other editors ----------------------
    auto* general = new QWidget(tabs);
    auto* generalLayout = new QVBoxLayout(general);
    auto* imap = new QGroupBox(QStringLiteral("Image Maps"), general);
    auto* imapGrid = new QGridLayout(imap);
    bindText(imap, imapGrid, "txtImapBase", QStringLiteral("Imap Base:"), "ImapBase");
    bindText(imap, imapGrid, "txtImapDefault", QStringLiteral("Imap Default:"), "ImapDefault");
    QComboBox* menu =
        comboBox(imap, "cmbImapMenu", {"none", "formatted", "semiformatted", "unformatted"}, false);
    bindings().bindDirective(menu, QStringLiteral("ImapMenu"));
    DialogParts::row(imapGrid, QStringLiteral("Imap Menu:"), menu);
    generalLayout->addWidget(imap);
    auto* editors = new QGroupBox(QStringLiteral("Other Settings"), general);
    auto* editorsGrid = new QGridLayout(editors);
    const struct
    {
        const char* name;
        const char* label;
    } opens[] = {{"cmdAliasSettings", "Alias Settings:"},
                 {"cmdLanguageSettings", "Language Settings:"},
                 {"cmdIconSettings", "Icon Settings:"}};
    QList<QPushButton*> openButtons;
    for (const auto& o : opens) {
        QPushButton* b = PageWidgets::button(editors, o.name, "Edit...");
        DialogParts::row(editorsGrid, QString::fromLatin1(o.label), b);
        openButtons << b;
    }
    // The editors work on the same model and scope; each saves on its own.
    connect(openButtons[0], &QPushButton::clicked, this, [this] { frmAliases(this->inputs(), this).exec(); });
    connect(openButtons[1], &QPushButton::clicked, this,
            [this] { frmLanguages(this->inputs(), this).exec(); });
    connect(openButtons[2], &QPushButton::clicked, this, [this] { frmIcons(this->inputs(), this).exec(); });
    generalLayout->addWidget(editors);
    generalLayout->addStretch(1);
    tabs->addTab(general, QStringLiteral("General"));

    // ---- Handlers: Script and Action --------------------------------------
    auto* handlers = new QWidget(tabs);
    auto* handlersLayout = new QVBoxLayout(handlers);
    auto* scripts = new QGroupBox(QStringLiteral("Scripts"), handlers);
    new QVBoxLayout(scripts);
    DialogParts::ListPart script = DialogParts::list(
        this, scripts, "lstvScripts", {QStringLiteral("Script Name"), QStringLiteral("Method")},
        QStringLiteral("Script"), int(FormBindings::RowShape::SecondFirstRest), EntrySpecs::frmScripts(),
        {"cmdAddScript", "cmdEditScript", "cmdRemoveScript"});
    script.editor->setCaptions(QStringLiteral("Add Script"), QStringLiteral("Edit Script"));
    script.editor->setColumns({1, 0}); // script, then method
    handlersLayout->addWidget(scripts);
    auto* actions = new QGroupBox(QStringLiteral("Actions"), handlers);
    new QVBoxLayout(actions);
    DialogParts::ListPart action =
        DialogParts::list(this, actions, "lstvActions", {QStringLiteral("Action"), QStringLiteral("Script")},
                          QStringLiteral("Action"), int(FormBindings::RowShape::FirstRest),
                          EntrySpecs::frmActions(), {"cmdAddAction", "cmdEditAction", "cmdRemoveAction"});
    action.editor->setCaptions(QStringLiteral("Add Action"), QStringLiteral("Edit Action"));
    action.editor->setColumns({-1, -1});
    // The handler and MIME boxes offer the scope's AddHandler and AddType names;
    // the row takes the action type from the box the option chose.
    action.editor->setPrepare([this](EntryDialog& d, const QTreeWidgetItem* editing) {
        const QStringList handlerNames = firstParams(objConfigFile(), lScopeDirNo(), "AddHandler");
        const QStringList types = firstParams(objConfigFile(), lScopeDirNo(), "AddType");
        d.setEntries(1, handlerNames);
        d.setEntries(2, types);
        const QString type = editing ? editing->text(0) : QString();
        const bool mime = type.contains(u'/');
        d.setValue(0, mime ? QStringLiteral("MIME:") : QStringLiteral("Handler:"));
        if (editing) {
            d.setValue(mime ? 2 : 1, type);
            d.setValue(3, editing->text(1));
        }
    });
    action.editor->setRowFromDialog([](const EntryDialog& d) {
        const bool mime = d.value(0) == QLatin1String("MIME:");
        return QStringList{(mime ? d.value(2) : d.value(1)).trimmed(), d.value(3).trimmed()};
    });
    handlersLayout->addWidget(actions);
    tabs->addTab(handlers, QStringLiteral("Handlers"));

    // ---- Server Side Includes ------------------------------------------------
    auto* ssi = new QWidget(tabs);
    auto* ssiGrid = new QGridLayout(ssi);
    bindText(ssi, ssiGrid, "txtSSIStartTag", QStringLiteral("SSI StartTag:"), "SSIStartTag");
    bindText(ssi, ssiGrid, "txtSSIEndTag", QStringLiteral("SSI End Tag:"), "SSIEndTag");
    bindText(ssi, ssiGrid, "txtSSIErrorMsg", QStringLiteral("SSI Error Message:"), "SSIErrorMsg");
    bindText(ssi, ssiGrid, "txtSSITimeFormat", QStringLiteral("SSI Time Format:"), "SSITimeFormat");
    bindText(ssi, ssiGrid, "txtSSIUndefinedEcho", QStringLiteral("SSI Undefined Echo:"), "SSIUndefinedEcho");
    QComboBox* xbit = comboBox(ssi, "cmbXBitHack", {"Off", "On", "Full"}, false);
    bindings().bindDirective(xbit, QStringLiteral("XBitHack"));
    DialogParts::row(ssiGrid, QStringLiteral("X Bit Hack:"), xbit);
    ssiGrid->setRowStretch(ssiGrid->rowCount(), 1);
    tabs->addTab(ssi, QStringLiteral("Server Side Includes"));

    // ---- Compression ---------------------------------------------------------
    auto* compression = new QWidget(tabs);
    auto* compressionGrid = new QGridLayout(compression);
    const struct
    {
        const char* box;
        const char* ud;
        const char* label;
        const char* directive;
        int maximum;
    } deflate[] = {
        {"txtDeflateBufferSize", "upDeflateBufferSize", "Deflate Buffer Size:", "DeflateBufferSize", 1048576},
        {"txtDeflateCompressionLevel", "upDeflateCompressionLevel",
         "Deflate Compression Level:", "DeflateCompressionLevel", 9},
        {"txtDeflateMemLevel", "upDeflateMemLevel", "Deflate Mem Level:", "DeflateMemLevel", 9},
        {"txtDeflateWindowSize", "upDeflateWindowSize", "Deflate Window Size:", "DeflateWindowSize", 15}};
    for (int i = 0; i < 4; ++i) {
        UpDown* ud = nullptr;
        m_deflateBoxes[i] =
            DialogParts::numberBox(this, compression, deflate[i].box, deflate[i].ud,
                                   QString::fromLatin1(deflate[i].directive), deflate[i].maximum, &ud);
        DialogParts::row(compressionGrid, QString::fromLatin1(deflate[i].label), m_deflateBoxes[i], ud);
        m_deflate << m_deflateBoxes[i];
    }
    auto* note = new QGroupBox(QStringLiteral("Deflate Filter Note"), compression);
    auto* noteGrid = new QGridLayout(note);
    m_chkNoteType = new QCheckBox(QStringLiteral("Type:"), note);
    m_chkNoteType->setObjectName(QStringLiteral("chkDeflateFilterNoteType"));
    m_cmbNoteType = comboBox(note, "cmbDeflateFilterNoteType", {"Input", "Output", "Ratio"}, false);
    m_txtNoteName = PageWidgets::lineEdit(note, "txtDeflateFilterNoteName");
    for (QWidget* w : {static_cast<QWidget*>(m_chkNoteType), static_cast<QWidget*>(m_cmbNoteType),
                       static_cast<QWidget*>(m_txtNoteName)})
        FormSupport::setTag(w, QStringLiteral("DeflateFilterNote"));
    noteGrid->addWidget(m_chkNoteType, 0, 0);
    noteGrid->addWidget(m_cmbNoteType, 0, 1);
    noteGrid->addWidget(new QLabel(QStringLiteral("Note Name:"), note), 1, 0);
    noteGrid->addWidget(m_txtNoteName, 1, 1);
    compressionGrid->addWidget(note, compressionGrid->rowCount(), 0, 1, 3);
    compressionGrid->setRowStretch(compressionGrid->rowCount(), 1);
    m_deflate << m_cmbNoteType << m_txtNoteName;
    connect(m_chkNoteType, &QCheckBox::clicked, this, [this](bool on) {
        form().setUsable(m_cmbNoteType, on && m_chkNoteType->isEnabled());
        markChanged();
    });
    connect(m_cmbNoteType, &QComboBox::activated, this, &CorvaneDialog::markChanged);
    connect(m_txtNoteName, &QLineEdit::textEdited, this, &CorvaneDialog::markChanged);
    tabs->addTab(compression, QStringLiteral("Compression"));

    // ---- Persistent connections ----------------------------------------------
    auto* connections = new QWidget(tabs);
    auto* connectionsLayout = new QVBoxLayout(connections);
    auto* persistent = new QGroupBox(QStringLiteral("Persistent Connections"), connections);
    auto* persistentLayout = new QVBoxLayout(persistent);
    m_chkKeepAlive = new QCheckBox(QStringLiteral("Allow Persistent Connections"), persistent);
    m_chkKeepAlive->setObjectName(QStringLiteral("chkAllowPersistentConnections"));
    bindings().bindCheck(m_chkKeepAlive, QStringLiteral("KeepAlive"));
    persistentLayout->addWidget(m_chkKeepAlive);
    auto* timeoutFrame = new QWidget(persistent);
    timeoutFrame->setObjectName(QStringLiteral("frameKeepAliveTimout"));
    auto* timeoutGrid = new QGridLayout(timeoutFrame);
    m_txtTimeout = PageWidgets::lineEdit(timeoutFrame, "txtKeepAliveTimeout");
    bindings().bindDirective(m_txtTimeout, QStringLiteral("KeepAliveTimeout"));
    m_lblTimeout = new QLabel(QStringLiteral("Timeout for Next Connection:"), timeoutFrame);
    timeoutGrid->addWidget(m_lblTimeout, 0, 0);
    timeoutGrid->addWidget(m_txtTimeout, 0, 1);
    persistentLayout->addWidget(timeoutFrame);
    auto* requests = new QGroupBox(QStringLiteral("Requests"), persistent);
    auto* requestsGrid = new QGridLayout(requests);
    m_optUnlimited = new QRadioButton(QStringLiteral("Unlimited Requests per Connection"), requests);
    m_optUnlimited->setObjectName(QStringLiteral("optUnlimitedRequestPerConnection"));
    m_optMaximum = new QRadioButton(QStringLiteral("Maximum Requests per Connection:"), requests);
    m_optMaximum->setObjectName(QStringLiteral("optMaxRequestPerConnection"));
    m_txtMaxRequests = PageWidgets::lineEdit(requests, "txtMaxKeepAliveRequests");
    for (QWidget* w : {static_cast<QWidget*>(m_optUnlimited), static_cast<QWidget*>(m_optMaximum),
                       static_cast<QWidget*>(m_txtMaxRequests)})
        FormSupport::setTag(w, QStringLiteral("MaxKeepAliveRequests"));
    requestsGrid->addWidget(m_optUnlimited, 0, 0, 1, 2);
    requestsGrid->addWidget(m_optMaximum, 1, 0);
    requestsGrid->addWidget(m_txtMaxRequests, 1, 1);
    persistentLayout->addWidget(requests);
    connectionsLayout->addWidget(persistent);
    connectionsLayout->addStretch(1);
    tabs->addTab(connections, QStringLiteral("Connections"));
    connect(m_chkKeepAlive, &QCheckBox::clicked, this, [this](bool on) {
        // Switching persistent connections off takes their time-out with them.
        if (!on)
            m_txtTimeout->clear();
        followKeepAlive();
    });
    for (QRadioButton* o : {m_optUnlimited, m_optMaximum})
        connect(o, &QRadioButton::clicked, this, [this] {
            followRequests();
            markChanged();
        });
    connect(m_txtMaxRequests, &QLineEdit::textEdited, this, &CorvaneDialog::markChanged);
    resize(620, 520);
}

void frmOtherSettings::followKeepAlive()
{
    const bool on = m_chkKeepAlive->isChecked();
    form().setUsable(m_lblTimeout, on);
    form().setUsable(m_txtTimeout, on);
}

void frmOtherSettings::followRequests()
{
    form().setUsable(m_txtMaxRequests, m_optMaximum->isChecked());
}

QString frmOtherSettings::deflateFilterNote() const
{
    const QString name = m_txtNoteName->text().trimmed();
    if (m_chkNoteType->isChecked() && !m_cmbNoteType->currentText().isEmpty())
        return (m_cmbNoteType->currentText() + u' ' + name).trimmed();
    return name;
}

void frmOtherSettings::FormLoad()
{
    CorvaneDialog::FormLoad();
    ConfigFile& model = *objConfigFile();
    // DeflateFilterNote: "[type] name".
    std::int32_t no = 0;
    const QStringList note =
        FormBindings::paramsOf(model, lScopeDirNo(), QStringLiteral("DeflateFilterNote"), &no);
    m_chkNoteType->setChecked(note.size() > 1);
    m_cmbNoteType->setCurrentIndex(note.size() > 1 ? m_cmbNoteType->findText(note[0], Qt::MatchFixedString)
                                                   : -1);
    m_txtNoteName->setText(note.isEmpty() ? QString() : note.last());
    form().setUsable(m_cmbNoteType, m_chkNoteType->isChecked());
    m_noteShown = deflateFilterNote();
    m_deflateShown.clear();
    for (QLineEdit* box : m_deflateBoxes)
        m_deflateShown << box->text().trimmed();
    // The time-out shows only while persistent connections are on.
    followKeepAlive();
    // MaxKeepAliveRequests: 0 is unlimited.
    const QStringList max =
        FormBindings::paramsOf(model, lScopeDirNo(), QStringLiteral("MaxKeepAliveRequests"), &no);
    const bool unlimited = !max.isEmpty() && max[0].trimmed() == QLatin1String("0");
    (unlimited ? m_optUnlimited : m_optMaximum)->setChecked(true);
    m_txtMaxRequests->setText(unlimited || max.isEmpty() ? QString() : max[0]);
    followRequests();
    m_requestsShown = max.isEmpty() ? QString() : max[0].trimmed();
}

bool frmOtherSettings::compressionChanged() const
{
    for (int i = 0; i < 4; ++i)
        if (m_deflateBoxes[i]->text().trimmed() != m_deflateShown.value(i))
            return true;
    return deflateFilterNote() != m_noteShown;
}

bool frmOtherSettings::prepareApply()
{
    // Compression needs mod_deflate: asked before anything is written.
    m_writeCompression = true;
    bool any = false;
    for (QLineEdit* box : m_deflateBoxes)
        any = any || !box->text().trimmed().isEmpty();
    any = any || !m_txtNoteName->text().trimmed().isEmpty();
    if (any && compressionChanged())
        m_writeCompression = ModulePrompt::EnsureModuleLoaded(this, inputs(), "deflate_module");
    return true;
}

bool frmOtherSettings::SaveDirectivesFromGUI()
{
    ConfigFile& model = *objConfigFile();
    const bool writeCompression = m_writeCompression;
    const bool ok = bindings().save(model, lScopeDirNo(), [this, writeCompression](const QWidget* w) {
        // The time-out box is off while persistent connections are, yet its
        // emptying on switching them off is written.
        if (w == m_txtTimeout)
            return !form().isGatedOff(m_txtTimeout) && m_chkKeepAlive->isEnabledTo(this);
        if (!w->isEnabledTo(this))
            return false;
        return writeCompression || !m_deflate.contains(const_cast<QWidget*>(w));
    });
    bool result = ok;
    if (writeCompression && compressionChanged()) {
        bool any = false;
        for (QLineEdit* box : m_deflateBoxes)
            any = any || !box->text().trimmed().isEmpty();
        any = any || !m_txtNoteName->text().trimmed().isEmpty();
        // The filter that compresses, unless the scope names it already.
        const Directive* filter = model.FindAppliedSubDirective("SetOutputFilter", lScopeDirNo());
        const bool named = filter && filter->DirectiveNo() >= 1 &&
                           UCase(filter->GetParamList()).find("DEFLATE") != std::string::npos;
        if (any && !named)
            result = model.UpdateDirective("SetOutputFilter", "DEFLATE", lScopeDirNo()) == 1 && result;
        if (m_txtNoteName->isEnabledTo(this) && deflateFilterNote() != m_noteShown) {
            result = FormBindings::updateDirective(model, lScopeDirNo(), QStringLiteral("DeflateFilterNote"),
                                                   deflateFilterNote()) == 1 &&
                     result;
        }
    }
    if (m_optMaximum->isEnabledTo(this)) {
        const QString now =
            m_optUnlimited->isChecked() ? QStringLiteral("0") : m_txtMaxRequests->text().trimmed();
        if (now != m_requestsShown)
            result = FormBindings::updateDirective(model, lScopeDirNo(),
                                                   QStringLiteral("MaxKeepAliveRequests"), now) == 1 &&
                     result;
    }
    if (result && writeCompression) {
        m_noteShown = deflateFilterNote();
        m_deflateShown.clear();
        for (QLineEdit* box : m_deflateBoxes)
            m_deflateShown << box->text().trimmed();
    }
    if (result) {
        m_requestsShown =
            m_optUnlimited->isChecked() ? QStringLiteral("0") : m_txtMaxRequests->text().trimmed();
    }
    return result;
}

} // namespace corvane

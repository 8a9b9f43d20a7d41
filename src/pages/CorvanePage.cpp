#include "pages/CorvanePage.h"

#include "forms/FormSupport.h"
#include "forms/TextCodec.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "model/EditSession.h"
#include "model/ModelProcedures.h"
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextEdit>

namespace corvane {

namespace {

// One statement of an event handler: a failure is passed over.
template <typename F> void skipOnError(F&& f)
{
    try {
        f();
    } catch (...) {
    }
}

} // namespace

CorvanePage::CorvanePage(const QString& caption, int helpContextId, int nodeKinds, QWidget* parent)
    : PropertyPage(parent), m_form(new FormSupport(this)), m_nodeKinds(nodeKinds),
      m_helpContextId(helpContextId)
{
    setCaption(caption);
    FormSupport::setHelpContext(this, helpContextId);
    m_form->helpHandler = [this](int id) { showHelpContext(id); };
    // Any edit marks the page changed, so the sheet offers Apply.
    m_bindings.changed = [this] { setChanged(); };
}

CorvanePage::~CorvanePage() = default;

QString CorvanePage::appDir() const
{
    return const_cast<CorvanePage*>(this)->context().appDir;
}

QString CorvanePage::serverName() const
{
    return const_cast<CorvanePage*>(this)->context().currentServerName;
}

void CorvanePage::setTag(QWidget* control, const QString& directive)
{
    FormSupport::setTag(control, directive);
}

void CorvanePage::bindDirective(QWidget* control, const QString& directive, ReadAs read, WriteAs write)
{
    m_bindings.bindDirective(control, directive, read, write);
}

void CorvanePage::bindCheck(QAbstractButton* box, const QString& directive)
{
    m_bindings.bindCheck(box, directive);
}

void CorvanePage::bindList(QTreeWidget* list, const QString& directive, RowShape shape)
{
    m_bindings.bindList(list, directive, shape);
}

void CorvanePage::addBrowseButton(QWidget* button, QWidget* box)
{
    m_form->addBrowseButton(button, box);
}

void CorvanePage::markUnavailable(QWidget* button, const QString& what)
{
    button->setEnabled(false);
    button->setProperty("unavailable", true);
    button->setToolTip(QStringLiteral("%1 is not available yet in this version of Corvane.").arg(what));
}

bool CorvanePage::isWritable(const QWidget* control) const
{
    return control && control->isEnabledTo(const_cast<CorvanePage*>(this));
}

std::int32_t CorvanePage::foundDirectiveNo(const QString& directive) const
{
    return m_bindings.foundNo(directive);
}

Directive* CorvanePage::nodeDirective() const
{
    if (!m_model || !m_hasNode)
        return nullptr;
    return m_scopeNo == -1 ? m_model->GetServerDirective() : m_model->FindDirective(m_scopeNo);
}

EditorInputs CorvanePage::editorInputs()
{
    EditorInputs in;
    in.objConfigFile = m_model.get();
    in.lScopeDirNo = m_scopeNo;
    in.context = context();
    in.propertyChanged = [this](const QString& data) { propertyChanged(data); };
    in.showHelp = [this](int id) { showHelpContext(id); };
    return in;
}

void CorvanePage::PropertyPage_Initialize()
{
    // Tooltips are created on first hover; the help file is the sheet's.
    m_model.reset();
    m_hasNode = false;
}

void CorvanePage::clearState()
{
    m_model.reset();
    m_hasNode = false;
    m_scopeNo = 0;
    m_mainServer = m_serverNode = m_fileEntry = false;
    m_bindings.clear();
}

bool CorvanePage::loadNode()
{
    const SelectedItem item = selectedControl();
    const int tag = item.nodeTag();
    bool accepted = false;
    if (item.isScopeItem()) {
        accepted = (tag == -2 && (m_nodeKinds & ServerNode)) || (tag == -1 && (m_nodeKinds & MainServer)) ||
                   (tag > 0 && (m_nodeKinds & Sections));
    } else if (item.isListItem()) {
        accepted = tag > 0 && (m_nodeKinds & FileEntries);
    }
    if (!accepted || item.itemName.trimmed().isEmpty())
        return false;

    m_model = std::make_unique<ConfigFile>(context().appDir.toStdString());
    m_model->SetFileName(item.itemName.toStdString());
    m_model->SetNormalizeLayout(
        NormalizeLayoutForWorkingCopy(AppFolder(context().appDir), item.itemName.toStdString()));
    skipOnError([&] { m_model->DeSerialize(); });

    if (tag < 0) {
        m_scopeNo = -1;
        m_mainServer = tag == -1;
        m_serverNode = tag == -2;
    } else {
        Directive* d = m_model->FindDirective(tag);
        if (!d || d->GetType() != Directive::TypeSection)
            return false;
        m_scopeNo = tag;
        m_fileEntry = item.isListItem();
    }
    m_hasNode = true;

    // The server whose node this is, and whether its files are local.
    const std::string server =
        Trim(GetServerNameFromConfigPath(context().appDir.toStdString(), m_model->FileName()));
    if (!server.empty()) {
        context().currentServerName = QString::fromStdString(server);
        const Servers servers{AppFolder(context().appDir)};
        context().isLocalServer = !servers.IsRemoteServer(server);
    }
    return true;
}

void CorvanePage::PropertyPage_SelectionChanged()
{
    watchForChanges();
    const QScopedValueRollback<bool> quiet(m_loading, true);
    clearState();
    skipOnError([&] { ResetControls(); });
    bool loaded = false;
    skipOnError([&] { loaded = loadNode(); });
    if (!loaded)
        return;
    m_form->setLocalServer(context().isLocalServer);
    m_form->gate(context().appDir, context().currentServerName,
                 FormSupport::contextOfScope(m_model.get(), m_scopeNo), context().checksumShown.get());
    skipOnError([&] { m_bindings.load(*m_model, m_scopeNo); });
    skipOnError([&] { LoadControls(); });
    m_form->installTooltips(context().appDir);
    setChanged(false);
}

void CorvanePage::watchForChanges()
{
    // Every value a control holds after loading counts as a change, however
    // it got there: a page's own controls need not each remember to say so,
    // and Apply never skips a page whose controls moved.
    if (m_watching)
        return;
    m_watching = true;
    const auto mark = [this] {
        if (!m_loading)
            setChanged();
    };
    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::textChanged, this, mark);
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (b->isCheckable())
            connect(b, &QAbstractButton::toggled, this, mark);
    for (QComboBox* c : findChildren<QComboBox*>())
        connect(c, &QComboBox::currentTextChanged, this, mark);
    for (QPlainTextEdit* t : findChildren<QPlainTextEdit*>())
        connect(t, &QPlainTextEdit::textChanged, this, mark);
    for (QTextEdit* t : findChildren<QTextEdit*>())
        connect(t, &QTextEdit::textChanged, this, mark);
    for (QAbstractItemView* v : findChildren<QAbstractItemView*>()) {
        QAbstractItemModel* model = v->model();
        if (!model)
            continue;
        connect(model, &QAbstractItemModel::dataChanged, this, mark);
        connect(model, &QAbstractItemModel::rowsInserted, this, mark);
        connect(model, &QAbstractItemModel::rowsRemoved, this, mark);
        connect(model, &QAbstractItemModel::rowsMoved, this, mark);
    }
}

QString CorvanePage::readDirective(const QString& directive, ReadAs read, std::int32_t* foundNo,
                                   std::string* original) const
{
    if (foundNo)
        *foundNo = 0;
    if (!m_model || !m_hasNode)
        return {};
    Directive* d = m_model->FindAppliedSubDirective(directive.toStdString(), m_scopeNo);
    if (!d || d->DirectiveNo() < 1)
        return {};
    if (foundNo)
        *foundNo = d->DirectiveNo();
    const std::string value = FormBindings::readValue(*d, read);
    if (original)
        *original = value;
    return TextCodec::toQ(value);
}

int CorvanePage::updateDirective(const QString& directive, QString text, WriteAs write,
                                 const std::string& original)
{
    if (!m_model || !m_hasNode)
        return -3;
    return FormBindings::updateDirective(*m_model, m_scopeNo, directive, text, write, original);
}

bool CorvanePage::SaveDirectivesFromGUI()
{
    return m_bindings.save(*m_model, m_scopeNo, [this](const QWidget* w) { return isWritable(w); });
}

void CorvanePage::PropertyPage_ApplyChanges()
{
    if (!writesConfiguration()) {
        skipOnError([&] { SaveDirectivesFromGUI(); });
        return;
    }
    if (!m_model || !m_hasNode)
        return;
    // A sheet applies all of its pages; one that holds no change has nothing
    // to write, and committing it would read the whole snapshot again.
    if (!changedAtApply() && !m_bindings.isChanged())
        return;
    const EditOutcome outcome = commitEdit(*m_model, [this](ConfigFile&, std::string& refusal) {
        if (!nodeDirective()) {
            refusal = "The section this page edits is no longer in the configuration; nothing was written.";
            return false;
        }
        if (!SaveDirectivesFromGUI()) {
            refusal = "The change could not be made; nothing was written.";
            return false;
        }
        return true;
    });
    if (!outcome.ok()) {
        setChanged(); // nothing was written: the change is still to be applied
        MessageBox::warning(this, QString::fromStdString(outcome.message));
        return;
    }
    // The page shows what was written (new numbers of added directives);
    // showing it again is not a change.
    const QScopedValueRollback<bool> quiet(m_loading, true);
    m_bindings.saved(*m_model, m_scopeNo);
    skipOnError([&] { ChangesWritten(); });
    if (outcome.written() && notifiesRefresh())
        propertyChanged(QString::fromLatin1(kRefreshTreeView));
}

void CorvanePage::PropertyPage_Terminate()
{
    m_form->hideTooltips();
    m_model.reset();
    m_hasNode = false;
}

void CorvanePage::IMMCPropertyPage_Help()
{
    showHelpContext(m_helpContextId);
}

void CorvanePage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        event->accept();
        m_form->showHelpForFocus();
        return;
    }
    PropertyPage::keyPressEvent(event);
}

} // namespace corvane

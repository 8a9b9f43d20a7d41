#include "pages/CorvanePage.h"

#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "model/ModelProcedures.h"
#include "pages/FormSupport.h"
#include "pages/TextCodec.h"
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

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

QString trimBlanks(QString s)
{
    while (s.startsWith(u' '))
        s.remove(0, 1);
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

QString controlText(const QWidget* w)
{
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    return {};
}

void setControlText(QWidget* w, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int i = c->findText(text, Qt::MatchFixedString);
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(i);
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
    setTag(control, directive);
    m_bindings.push_back(Binding{control, directive, read, write, 0, {}, {}});
    // Any edit marks the page changed, so the sheet offers Apply.
    if (auto* e = qobject_cast<QLineEdit*>(control))
        connect(e, &QLineEdit::textEdited, this, [this] { setChanged(); });
    else if (auto* c = qobject_cast<QComboBox*>(control)) {
        connect(c, &QComboBox::activated, this, [this] { setChanged(); });
        if (c->isEditable())
            connect(c, &QComboBox::editTextChanged, this, [this] { setChanged(); });
    }
}

void CorvanePage::addBrowseButton(QWidget* button)
{
    m_browseButtons.push_back(button);
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
    for (const Binding& b : m_bindings)
        if (b.directive.compare(directive, Qt::CaseInsensitive) == 0)
            return b.foundNo;
    return 0;
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
    for (Binding& b : m_bindings) {
        b.foundNo = 0;
        b.original.clear();
        setControlText(b.control, QString());
    }
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
    clearState();
    skipOnError([&] { ResetControls(); });
    bool loaded = false;
    skipOnError([&] { loaded = loadNode(); });
    if (!loaded)
        return;
    m_form->gate(context().appDir, context().currentServerName);
    for (QWidget* b : m_browseButtons)
        if (!b->property("unavailable").toBool())
            b->setEnabled(context().isLocalServer);
    skipOnError([&] { showBindings(); });
    skipOnError([&] { LoadControls(); });
    m_form->installTooltips(context().appDir);
    setChanged(false);
}

QString CorvanePage::readDirective(const QString& directive, ReadAs read, std::int32_t* foundNo,
                                   std::string* original) const
{
    if (foundNo)
        *foundNo = 0;
    if (!m_model || !m_hasNode)
        return {};
    Directive* d = m_model->FindSubDirective(directive.toStdString(), m_scopeNo);
    if (!d || d->DirectiveNo() < 1)
        return {};
    if (foundNo)
        *foundNo = d->DirectiveNo();
    std::string value = read == ReadAs::FirstParam ? d->GetParam(1) : Trim(d->GetParamList());
    if (read == ReadAs::Unquoted && value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (original)
        *original = value;
    return TextCodec::toQ(value);
}

void CorvanePage::showBindings()
{
    for (Binding& b : m_bindings) {
        setControlText(b.control, readDirective(b.directive, b.read, &b.foundNo, &b.original));
        b.shown = controlText(b.control);
    }
}

int CorvanePage::updateDirective(const QString& directive, QString text, WriteAs write,
                                 const std::string& original)
{
    if (!m_model || !m_hasNode)
        return -3;
    text = trimBlanks(text);
    if (write != WriteAs::Text && !text.isEmpty()) {
        text.remove(u'"');
        text = trimBlanks(text);
        if (!text.isEmpty() && (write == WriteAs::QuotedPath || text.contains(u' ') || text.contains(u'\t')))
            text = u'"' + text + u'"';
    }
    return m_model->UpdateDirective(directive.toStdString(), TextCodec::fromQ(text, original), m_scopeNo);
}

bool CorvanePage::SaveDirectivesFromGUI()
{
    for (Binding& b : m_bindings) {
        if (!isWritable(b.control))
            continue;
        if (controlText(b.control) == b.shown)
            continue;
        QString text = trimBlanks(controlText(b.control));
        if (b.write != WriteAs::Text && !text.isEmpty()) {
            // The cleaned path goes back into the box, as it is written.
            QString shown = text;
            shown.remove(u'"');
            setControlText(b.control, trimBlanks(shown));
        }
        updateDirective(b.directive, text, b.write, b.original);
    }
    return true;
}

void CorvanePage::PropertyPage_ApplyChanges()
{
    if (!writesConfiguration()) {
        skipOnError([&] { SaveDirectivesFromGUI(); });
        return;
    }
    if (m_model && m_hasNode) {
        skipOnError([&] { m_model->DeSerialize(); });
        if (nodeDirective())
            skipOnError([&] { SaveDirectivesFromGUI(); });
        bool written = false;
        try {
            written = m_model->WriteFile();
        } catch (const CorvaneError& e) {
            MessageBox::critical(this,
                                 QStringLiteral("The configuration file could not be written, nothing was "
                                                "changed:\n%1")
                                     .arg(QString::fromStdString(e.description())));
        } catch (...) {
        }
        if (written)
            skipOnError([&] { m_model->Serialize(); });
        // The page shows what was written (new numbers of added directives).
        for (Binding& b : m_bindings) {
            readDirective(b.directive, b.read, &b.foundNo, &b.original);
            b.shown = controlText(b.control);
        }
    }
    if (notifiesRefresh())
        propertyChanged(QStringLiteral("RefreshTreeView"));
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

#include "forms/FormSupport.h"

#include "catalogue/CatalogueChecksum.h"
#include "catalogue/DirbaseParser.h"
#include "catalogue/xmldirective.h"
#include "forms/CToolTip.h"
#include "forms/FormBindings.h"
#include "forms/TextCodec.h"
#include "host/HelpViewer.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace corvane {

namespace {

constexpr const char* kTag = "tag";
constexpr const char* kTipTitle = "tipTitle";
constexpr const char* kTipText = "tipText";
constexpr const char* kTipNote = "tipNote";
constexpr const char* kHelp = "helpContextId";

bool hasFixedTip(const QWidget* w)
{
    return !w->property(kTipTitle).toString().isEmpty() || !w->property(kTipText).toString().isEmpty();
}

} // namespace

FormSupport::FormSupport(QWidget* form) : QObject(form), m_form(form) {}

FormSupport::~FormSupport() = default;

void FormSupport::setTag(QWidget* control, const QString& directive)
{
    control->setProperty(kTag, directive);
}

QString FormSupport::tagOf(const QWidget* control)
{
    return FormBindings::trimBlanks(control->property(kTag).toString());
}

void FormSupport::setFixedTip(QWidget* control, const QString& title, const QString& text)
{
    control->setProperty(kTipTitle, title);
    control->setProperty(kTipText, text);
}

void FormSupport::setHelpContext(QWidget* control, int contextId)
{
    control->setProperty(kHelp, contextId);
}

void FormSupport::setTipNote(QWidget* control, const QString& note)
{
    if (control)
        control->setProperty(kTipNote, note.isEmpty() ? QVariant() : QVariant(note));
}

QString FormSupport::tipNoteOf(const QWidget* control)
{
    return control ? control->property(kTipNote).toString() : QString();
}

std::vector<QWidget*> FormSupport::taggedControls() const
{
    std::vector<QWidget*> out;
    for (QWidget* w : m_form->findChildren<QWidget*>())
        if (!tagOf(w).isEmpty())
            out.push_back(w);
    return out;
}

const DirbaseParser& FormSupport::catalogue(const QString& appDir)
{
    if (!m_catalogue || m_catalogueDir != appDir) {
        m_catalogue = std::make_unique<DirbaseParser>();
        m_catalogue->setFileName(AppFolder(appDir).cataloguePath().toStdString());
        m_catalogue->setNeedNonSupportedDirectives(true);
        m_catalogue->GetDirectiveList();
        m_catalogueDir = appDir;
    }
    return *m_catalogue;
}

namespace {

// Whether the catalogue allows the directive where the form writes it;
// directives it does not know are allowed everywhere.
bool allowedIn(const DirbaseParser& catalogue, const std::string& tag, FormSupport::NodeContext context)
{
    const xmldirective* entry = catalogue.findDirective(tag);
    if (!entry)
        return true;
    switch (context) {
    case FormSupport::NodeContext::Any:
        return true;
    case FormSupport::NodeContext::Server:
        return entry->ServerScope();
    case FormSupport::NodeContext::VirtualHost:
        return entry->VirtualHostScope();
    case FormSupport::NodeContext::Directory:
        return entry->DirectoryScope();
    }
    return true;
}

} // namespace

bool FormSupport::gate(const QString& appDir, const QString& serverName, NodeContext context,
                       bool* checksumShown)
{
    const AppFolder folder(appDir);
    m_gatedVersion.reset();
    if (!CheckCatalogueChecksum(folder.cataloguePath().toStdString())) {
        if (!checksumShown || !*checksumShown)
            MessageBox::show(m_form, QMessageBox::NoIcon, QString::fromLatin1(kChecksumFailedMessage),
                             QMessageBox::Ok, QMessageBox::Ok);
        if (checksumShown)
            *checksumShown = true;
        return false;
    }
    const std::string version = GetServerApacheVersion(serverName.toStdString(), folder.iniPath());
    m_gatedVersion = version;
    const DirbaseParser& parser = catalogue(appDir);
    // What the previous gating switched off comes back first: the version or
    // the node may differ from the last time.
    for (QWidget* w : m_form->findChildren<QWidget*>())
        if (m_gatedOff.count(w))
            w->setEnabled(true);
    m_gatedOff.clear();
    for (QWidget* w : taggedControls()) {
        const std::string tag = tagOf(w).toStdString();
        if (parser.VersionCompatibility(tag, version, false) && allowedIn(parser, tag, context))
            continue;
        w->setEnabled(false);
        m_gatedOff.insert(w);
    }
    // Buttons of editors that do not exist yet stay off whatever the version.
    for (QWidget* w : m_form->findChildren<QWidget*>())
        if (w->property("unavailable").toBool())
            w->setEnabled(false);
    for (const auto& [button, box] : m_browse)
        followBox(box);
    return true;
}

bool FormSupport::inGatedVersion(const QString& appDir, const std::string& directive)
{
    return !m_gatedVersion || catalogue(appDir).VersionCompatibility(directive, *m_gatedVersion, false);
}

FormSupport::NodeContext FormSupport::contextOfScope(const ConfigFile* model, std::int32_t scopeNo)
{
    if (scopeNo == -1)
        return FormSupport::NodeContext::Server;
    const Directive* d = model ? model->FindDirective(scopeNo) : nullptr;
    if (!d)
        return FormSupport::NodeContext::Any;
    switch (d->ScopeType()) {
    case DirectiveScop::ScopeVirtualHost:
        return FormSupport::NodeContext::VirtualHost;
    case DirectiveScop::ScopeDirectory:
    case DirectiveScop::ScopeDirectoryMatch:
    case DirectiveScop::ScopeFiles:
    case DirectiveScop::ScopeFilesMatch:
    case DirectiveScop::ScopeLocation:
    case DirectiveScop::ScopeLocationMatch:
        return FormSupport::NodeContext::Directory;
    default:
        return FormSupport::NodeContext::Any;
    }
}

void FormSupport::setUsable(QWidget* control, bool usable) const
{
    control->setEnabled(usable && !isGatedOff(control));
}

void FormSupport::addBrowseButton(QWidget* button, QWidget* box)
{
    m_browse.emplace_back(button, box);
    if (box) {
        box->removeEventFilter(this);
        box->installEventFilter(this);
    }
    followBox(box);
}

void FormSupport::setLocalServer(bool local)
{
    m_local = local;
    for (const auto& [button, box] : m_browse)
        followBox(box);
}

void FormSupport::followBox(QWidget* box)
{
    for (const auto& [button, b] : m_browse) {
        if (b != box || button->property("unavailable").toBool())
            continue;
        button->setEnabled(m_local && (!box || box->isEnabled()) && !isGatedOff(button));
    }
}

void FormSupport::installTooltips(const QString& appDir)
{
    m_appDir = appDir;
    m_form->removeEventFilter(this);
    m_form->installEventFilter(this);
    m_form->setMouseTracking(true); // mouse moves over the form itself take the tips down
    for (QWidget* w : m_form->findChildren<QWidget*>()) {
        if (tagOf(w).isEmpty() && !hasFixedTip(w))
            continue;
        w->removeEventFilter(this);
        w->installEventFilter(this);
    }
}

CToolTip* FormSupport::tooltip(const QWidget* control) const
{
    const auto it = m_tips.find(control);
    return it == m_tips.end() ? nullptr : it->second;
}

bool FormSupport::isTipShown(const QWidget* control) const
{
    const auto it = m_shown.find(control);
    return it != m_shown.end() && it->second;
}

void FormSupport::hideTooltips()
{
    for (auto& [control, shown] : m_shown) {
        if (!shown)
            continue;
        if (CToolTip* tip = tooltip(control))
            tip->Destroy();
        shown = false;
    }
}

void FormSupport::showTip(QWidget* control)
{
    if (isTipShown(control))
        return;
    CToolTip*& tip = m_tips[control];
    if (!tip) {
        tip = new CToolTip(this);
        tip->setStyle(CToolTip::Balloon);
        tip->setIcon(CToolTip::Information);
    }
    m_shown[control] = true;
    const QString tag = tagOf(control);
    if (!tag.isEmpty()) {
        tip->setTitle(tag);
        tip->setTipText(TextCodec::toQ(catalogue(m_appDir).DirectiveDescription(tag.toStdString())));
    } else {
        tip->setTitle(control->property(kTipTitle).toString());
        tip->setTipText(control->property(kTipText).toString());
    }
    if (const QString note = tipNoteOf(control); !note.isEmpty())
        tip->setTipText(tip->TipText().isEmpty() ? note : tip->TipText() + QStringLiteral("\n\n") + note);
    tip->Create(control);
}

void FormSupport::showHelpForFocus()
{
    int id = 0;
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        bool ok = false;
        const int n = w->property(kHelp).toInt(&ok);
        if (ok && n > 0) {
            id = n;
            break;
        }
        if (w == m_form)
            break;
    }
    if (id <= 0)
        id = m_form->property(kHelp).toInt();
    if (helpHandler) {
        helpHandler(id);
        return;
    }
    if (!m_helpViewer) {
        auto* viewer = new HelpViewer(m_form);
        viewer->setWindowFlag(Qt::Window);
        m_helpViewer = viewer;
    }
    static_cast<HelpViewer*>(m_helpViewer)->showContext(id);
}

bool FormSupport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        for (const auto& [button, box] : m_browse)
            if (box == watched) {
                followBox(box);
                break;
            }
    }
    if (watched == m_form) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
            hideTooltips();
        return false;
    }
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control)
        return false;
    const bool isCombo = qobject_cast<QComboBox*>(control) != nullptr;
    if ((!isCombo && (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)) ||
        (isCombo && event->type() == QEvent::FocusIn))
        showTip(control);
    return false;
}

} // namespace corvane

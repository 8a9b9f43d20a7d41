#include "pages/FormSupport.h"

#include "catalogue/CatalogueChecksum.h"
#include "catalogue/DirbaseParser.h"
#include "catalogue/GatedControl.h"
#include "catalogue/VersionGating.h"
#include "host/HelpViewer.h"
#include "host/MessageBox.h"
#include "pages/CToolTip.h"
#include "pages/TextCodec.h"
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
constexpr const char* kHelp = "helpContextId";

class WidgetGate : public GatedControl
{
public:
    explicit WidgetGate(QWidget* w) : m_w(w) {}
    std::string tag() const override { return FormSupport::tagOf(m_w).toStdString(); }
    void setEnabled(bool enabled) override { m_w->setEnabled(enabled); }

private:
    QWidget* m_w;
};

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
    QString t = control->property(kTag).toString();
    while (t.startsWith(u' '))
        t.remove(0, 1);
    while (t.endsWith(u' '))
        t.chop(1);
    return t;
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

bool FormSupport::gate(const QString& appDir, const QString& serverName)
{
    const AppFolder folder(appDir);
    if (!CheckCatalogueChecksum(folder.cataloguePath().toStdString())) {
        MessageBox::show(m_form, QMessageBox::NoIcon, QString::fromLatin1(kChecksumFailedMessage),
                         QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    const std::string version = GetServerApacheVersion(serverName.toStdString(), folder.iniPath());
    std::vector<std::unique_ptr<WidgetGate>> gates;
    std::vector<GatedControl*> controls;
    for (QWidget* w : taggedControls()) {
        gates.push_back(std::make_unique<WidgetGate>(w));
        controls.push_back(gates.back().get());
    }
    enableControls(catalogue(appDir), version, controls, false);
    // Buttons of editors that do not exist yet stay off whatever the version.
    for (QWidget* w : m_form->findChildren<QWidget*>())
        if (w->property("unavailable").toBool())
            w->setEnabled(false);
    return true;
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

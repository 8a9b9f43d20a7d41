#include "dialogs/frmPerformance.h"

#include "dialogs/DialogParts.h"
#include "dialogs/ModulePrompt.h"
#include "forms/PageWidgets.h"
#include "forms/UpDown.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/ModelProcedures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>

namespace corvane {

namespace {

// Preset values, in the order of CmbPerformance's first three entries.
const char* const kPresets[] = {"0", "50", "100"};

// Which MPMs know a process directive.
bool mpmKnows(const std::string& mpm, const std::string& directive)
{
    const std::string d = UCase(directive);
    const bool prefork = mpm == "prefork" || mpm == "itk" || mpm == "peruser";
    const bool threaded = mpm == "worker" || mpm == "event";
    const bool winnt = mpm == "winnt";
    if (d == "THREADSPERCHILD")
        return threaded || winnt;
    if (d == "MINSPARESERVERS" || d == "MAXSPARESERVERS")
        return prefork;
    if (d == "STARTSERVERS" || d == "MAXCLIENTS")
        return prefork || threaded;
    return true;
}

// The module a cache directive needs once modules are loaded, not built in.
const char* cacheModule(const std::string& directive)
{
    const std::string d = UCase(directive);
    if (d == "CACHEROOT")
        return "cache_disk_module";
    if (d == "CACHEMAXEXPIRE")
        return "cache_module";
    return nullptr;
}

} // namespace

std::string frmPerformance::loadedMpm(const ConfigFile& model)
{
    for (int no = 1; no <= model.GetDirectiveCount(); ++no) {
        const Directive* d = model.FindDirective(no);
        if (!d || d->IsDeleted() || d->GetType() != 3 || UCase(d->GetDirectiveName()) != "LOADMODULE")
            continue;
        const std::string name = Trim(d->GetParam(1));
        if (name.size() > 11 && name.rfind("mpm_", 0) == 0 && name.substr(name.size() - 7) == "_module")
            return name.substr(4, name.size() - 11);
    }
    return {};
}

bool frmPerformance::knownBy(const ConfigFile& model, const QString& directive)
{
    const std::string mpm = loadedMpm(model);
    if (mpm.empty())
        return true;
    if (const char* module = cacheModule(directive.toStdString()))
        return IsModuleLoaded(model, module, -1);
    return mpmKnows(mpm, directive.toStdString());
}

frmPerformance::frmPerformance(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmPerformance"), QStringLiteral("Performance Settings"), 1040,
                    parent)
{
    auto* frame = new QGroupBox(QStringLiteral("Settings"), this);
    auto* grid = new QGridLayout(frame);
    body()->addWidget(frame);

    m_cmbPerformance = new QComboBox(frame);
    m_cmbPerformance->setObjectName(QStringLiteral("CmbPerformance"));
    m_cmbPerformance->addItems({"Low", "Medium", "High", "Custom"});
    FormSupport::setTag(m_cmbPerformance, QStringLiteral("ExtendedStatus"));
    m_chkClearAll = new QCheckBox(QStringLiteral("Clear Values"), frame);
    m_chkClearAll->setObjectName(QStringLiteral("ChkClearAll"));
    DialogParts::row(grid, QStringLiteral("Performance Tuning:"), m_cmbPerformance, m_chkClearAll);

    m_cmbExtendedStatus = new QComboBox(frame);
    m_cmbExtendedStatus->setObjectName(QStringLiteral("cmbExtendedStatus"));
    m_cmbExtendedStatus->addItems({"On", "Off", ""});
    m_cmbExtendedStatus->setCurrentIndex(-1);
    bindings().bindDirective(m_cmbExtendedStatus, QStringLiteral("ExtendedStatus"));
    DialogParts::row(grid, QStringLiteral("Extended Status:"), m_cmbExtendedStatus);
    QLineEdit* cacheRoot = PageWidgets::lineEdit(frame, "txtCacheRoot");
    bindings().bindDirective(cacheRoot, QStringLiteral("CacheRoot"), FormBindings::ReadAs::Unquoted,
                             FormBindings::WriteAs::Path);
    DialogParts::row(grid, QStringLiteral("Cache Root:"), cacheRoot);

    const struct
    {
        const char* box;
        const char* ud;
        const char* label;
        const char* directive;
        int maximum;
    } numbers[] = {
        {"txtCacheSize", "udCacheSize", "Cache Size (in KB):", "CacheSize", 99999999},
        {"txtCacheMaxExpire", "udCacheMaxExpire", "Cache Max Expire (in Sec):", "CacheMaxExpire", 9999999},
        {"txtMaxRequestsPerChild", "udMaxRequestsPerChild", "Max Requests Per Child:", "MaxRequestsPerChild",
         9999999},
        {"txtThreadsPerChild", "udThreadsPerChild", "Threads Per Child:", "ThreadsPerChild", 20000},
        {"txtStartServers", "udStartServers", "Start Servers:", "StartServers", 20000},
        {"txtMaxClients", "udMaxClients", "Max Clients:", "MaxClients", 20000},
        {"txtMinSpareServers", "udMinSpareServers", "Min SpareServers:", "MinSpareServers", 20000},
        {"txtMaxSpareServers", "udMaxSpareServers", "Max SpareServers:", "MaxSpareServers", 20000}};
    for (const auto& n : numbers) {
        UpDown* ud = nullptr;
        QLineEdit* box = DialogParts::numberBox(this, frame, n.box, n.ud, QString::fromLatin1(n.directive),
                                                n.maximum, &ud);
        auto* row = new QWidget(frame);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        box->setParent(row);
        ud->setParent(row);
        h->addWidget(box, 1);
        h->addWidget(ud);
        DialogParts::row(grid, QString::fromLatin1(n.label), row);
        m_numbers << box;
        connect(box, &QLineEdit::textChanged, this, [this] {
            if (!m_filling)
                showPresetOfValues();
        });
    }

    connect(m_cmbPerformance, &QComboBox::activated, this, &frmPerformance::choosePreset);
    connect(m_chkClearAll, &QCheckBox::clicked, this, [this](bool on) {
        if (!on)
            return;
        m_filling = true;
        for (QLineEdit* box : m_numbers)
            if (box->isEnabled())
                box->clear();
        m_filling = false;
        markChanged();
    });
    connect(m_cmbExtendedStatus, &QComboBox::activated, this, [this] {
        if (m_cmbExtendedStatus->currentText() == QLatin1String("On") &&
            !ModulePrompt::EnsureModuleLoaded(this, this->inputs(), "status_module"))
            m_cmbExtendedStatus->setCurrentIndex(2); // the blank entry
        markChanged();
    });
    resize(460, 480);
}

void frmPerformance::FormLoad()
{
    CorvaneDialog::FormLoad();
    // Directives the loaded MPM or modules do not know stay off.
    for (QWidget* w : form().taggedControls())
        if (!knownBy(*objConfigFile(), FormSupport::tagOf(w)))
            form().setUsable(w, false);
    showPresetOfValues();
}

void frmPerformance::showEvent(QShowEvent* event)
{
    CorvaneDialog::showEvent(event);
    // The preset shown is judged on the boxes gating left open.
    m_filling = true;
    showPresetOfValues();
    m_filling = false;
}

void frmPerformance::choosePreset(int index)
{
    m_chkClearAll->setVisible(index == 3);
    if (index < 0 || index > 2)
        return;
    m_filling = true;
    for (QLineEdit* box : m_numbers)
        if (box->isEnabled())
            box->setText(QString::fromLatin1(kPresets[index]));
    m_filling = false;
    markChanged();
}

void frmPerformance::showPresetOfValues()
{
    int preset = -1;
    for (int p = 0; p < 3 && preset < 0; ++p) {
        bool all = true;
        bool any = false;
        for (QLineEdit* box : m_numbers) {
            if (!box->isEnabled())
                continue;
            any = true;
            all = all && box->text().trimmed() == QLatin1String(kPresets[p]);
        }
        if (any && all)
            preset = p;
    }
    m_cmbPerformance->setCurrentIndex(preset < 0 ? 3 : preset);
    m_chkClearAll->setVisible(preset < 0);
}

} // namespace corvane

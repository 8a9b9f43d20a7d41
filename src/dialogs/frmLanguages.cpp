#include "dialogs/frmLanguages.h"

#include "dialogs/DialogParts.h"
#include "dialogs/EntrySpecs.h"
#include "forms/EntryDialog.h"
#include "forms/ListViewRows.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/ModelProcedures.h"
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmLanguages::frmLanguages(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmLanguages"), QStringLiteral("Language Settings"), 1070, parent)
{
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("sstLanguages"));
    body()->addWidget(tabs, 1);

    auto* languages = new QWidget(tabs);
    new QVBoxLayout(languages);
    DialogParts::ListPart lang = DialogParts::list(
        this, languages, "lstvLanguages", {QStringLiteral("Language"), QStringLiteral("Extension")},
        QStringLiteral("AddLanguage"), int(FormBindings::RowShape::ExtraParamPerRow),
        EntrySpecs::frmAddLanguage(), {"cmdAddLanguage", "cmdEditLanguage", "cmdRemoveLanguage"});
    lang.editor->setCaptions(QStringLiteral("Add Language"), QStringLiteral("Edit Language"));
    m_languages = lang.list;
    tabs->addTab(languages, QStringLiteral("AddLanguage"));

    auto* charsets = new QWidget(tabs);
    new QVBoxLayout(charsets);
    DialogParts::ListPart cs = DialogParts::list(
        this, charsets, "lstvCharacterSet", {QStringLiteral("Charset"), QStringLiteral("Extension")},
        QStringLiteral("AddCharset"), int(FormBindings::RowShape::ExtraParamPerRow),
        EntrySpecs::frmAddCharSet(), {"cmdAddCharset", "cmdEditCharset", "Command5"});
    cs.editor->setCaptions(QStringLiteral("Add Charset"), QStringLiteral("Edit Charset"));
    tabs->addTab(charsets, QStringLiteral("AddCharset"));

    auto* other = new QWidget(tabs);
    auto* otherLayout = new QVBoxLayout(other);
    auto* priority = new QGroupBox(QStringLiteral("Language Priority"), other);
    new QVBoxLayout(priority);
    DialogParts::ListPart prio = DialogParts::list(
        this, priority, "lstvLanguagePriority", {QStringLiteral("Language")},
        QStringLiteral("LanguagePriority"), int(FormBindings::RowShape::ParamPerRow),
        EntrySpecs::frmSelectLanguage(),
        {"cmdAddLanguagePriority", "", "cmdDeleteLanguagePriority", "cmdMoveUp", "cmdMoveDown"});
    // The priority list offers the languages of the first tab, the first one chosen.
    prio.editor->setPrepare([this](EntryDialog& d, const QTreeWidgetItem*) {
        QStringList names;
        for (const QString& n : ListViewRows::texts(m_languages))
            if (!n.trimmed().isEmpty() && !names.contains(n))
                names << n;
        d.setEntries(0, names);
        if (auto* c = qobject_cast<QComboBox*>(d.field(0)); c && c->count() > 0)
            c->setCurrentIndex(0);
    });
    otherLayout->addWidget(priority, 1);
    auto* grid = new QGridLayout;
    auto combo = [&](const char* name, const QStringList& entries, bool editable) {
        auto* c = new QComboBox(other);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(editable);
        c->addItems(entries);
        c->setCurrentIndex(-1);
        return c;
    };
    QComboBox* force = combo("cmbForceLanguagePriority", {"None", "Prefer", "Fallback"}, false);
    bindings().bindDirective(force, QStringLiteral("ForceLanguagePriority"), FormBindings::ReadAs::ParamList);
    DialogParts::row(grid, QStringLiteral("Force Language Priority:"), force);
    m_cacheNegotiatedDocs = combo("cmbCacheNegotiatedDocs", {"On", "Off"}, false);
    FormSupport::setTag(m_cacheNegotiatedDocs, QStringLiteral("CacheNegotiatedDocs"));
    connect(m_cacheNegotiatedDocs, &QComboBox::activated, this, &CorvaneDialog::markChanged);
    DialogParts::row(grid, QStringLiteral("Cache Negotiated Docs:"), m_cacheNegotiatedDocs);
    otherLayout->addLayout(grid);
    auto* defaults = new QGroupBox(QStringLiteral("Default Settings"), other);
    auto* defaultsGrid = new QGridLayout(defaults);
    QComboBox* language =
        combo("cmbDefaultLanguage", {"en", "de", "fr", "es", "it", "ja", "nl", "pt", "zh"}, true);
    bindings().bindDirective(language, QStringLiteral("DefaultLanguage"), FormBindings::ReadAs::ParamList);
    DialogParts::row(defaultsGrid, QStringLiteral("Default Language:"), language);
    QComboBox* charset = combo("cmbDefaultCharset", {"ISO-8859-1", "UTF-8", "windows-1252"}, true);
    bindings().bindDirective(charset, QStringLiteral("CharsetDefault"), FormBindings::ReadAs::ParamList);
    DialogParts::row(defaultsGrid, QStringLiteral("Default Charset:"), charset);
    otherLayout->addWidget(defaults);
    tabs->addTab(other, QStringLiteral("Other Settings"));
    resize(560, 460);
}

bool frmLanguages::bareCacheNegotiatedDocs() const
{
    const std::string version = GetServerApacheVersion(context().currentServerName.toStdString(),
                                                       AppFolder(context().appDir).iniPath());
    return !version.empty() && version[0] >= '0' && version[0] < '2';
}

void frmLanguages::FormLoad()
{
    CorvaneDialog::FormLoad();
    m_cacheNegotiatedDocs->setCurrentIndex(-1);
    const Directive* d = objConfigFile()->FindAppliedSubDirective("CacheNegotiatedDocs", lScopeDirNo());
    if (d && d->DirectiveNo() >= 1) {
        // The bare 1.3 form means On.
        const QString value = QString::fromStdString(Trim(d->GetParamList()));
        m_cacheNegotiatedDocs->setCurrentIndex(m_cacheNegotiatedDocs->findText(
            value.isEmpty() ? QStringLiteral("On") : value, Qt::MatchFixedString));
    }
    m_cacheShown = m_cacheNegotiatedDocs->currentText();
}

bool frmLanguages::SaveDirectivesFromGUI()
{
    if (!CorvaneDialog::SaveDirectivesFromGUI())
        return false;
    const QString now = m_cacheNegotiatedDocs->currentText();
    if (!m_cacheNegotiatedDocs->isEnabledTo(this) || now == m_cacheShown)
        return true;
    ConfigFile& model = *objConfigFile();
    if (bareCacheNegotiatedDocs()) {
        model.UpdateDirective("CacheNegotiatedDocs", "", lScopeDirNo());
        if (UCase(now.toStdString()) == "ON" &&
            model.SaveAsNewDirective("CacheNegotiatedDocs", "", lScopeDirNo()) != 1)
            return false;
    } else if (model.UpdateDirective("CacheNegotiatedDocs", now.toStdString(), lScopeDirNo()) != 1) {
        return false;
    }
    m_cacheShown = now;
    return true;
}

} // namespace corvane

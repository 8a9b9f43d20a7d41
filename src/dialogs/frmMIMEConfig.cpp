#include "dialogs/frmMIMEConfig.h"

#include "dialogs/EntrySpecs.h"
#include "forms/FormSupport.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"
#include "host/FileDialog.h"
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
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

const QStringList kMultiViews{QStringLiteral("Any"), QStringLiteral("NegotiatedOnly"),
                              QStringLiteral("Filters"), QStringLiteral("Handlers")};

} // namespace

QTreeWidget* frmMIMEConfig::makeList(const char* name, const QString& second, const QString& tag)
{
    auto* list = new QTreeWidget(this);
    list->setObjectName(QString::fromLatin1(name));
    ListViewRows::setup(list, {QStringLiteral("Extension"), second});
    // A row per extension; the lines keep one directive per type (handler,
    // filter, encoding) with its extensions.
    bindings().bindList(list, tag, FormBindings::RowShape::ParamThenKeyPerRow);
    return list;
}

QWidget* frmMIMEConfig::listTab(const QString& title, const QString& frameTitle, QTreeWidget* list,
                                const QStringList& buttonNames, QList<QAbstractButton*>* buttons)
{
    auto* page = new QWidget(m_tabs);
    auto* layout = new QVBoxLayout(page);
    auto* frame = new QGroupBox(frameTitle, page);
    frame->setObjectName(QStringLiteral("frame") + list->objectName());
    auto* row = new QHBoxLayout(frame);
    list->setParent(frame);
    row->addWidget(list, 1);
    auto* column = new QVBoxLayout;
    const QStringList captions{QStringLiteral("Add..."), QStringLiteral("Edit..."), QStringLiteral("Remove")};
    for (int i = 0; i < buttonNames.size(); ++i) {
        auto* b = new QPushButton(captions[i], frame);
        b->setObjectName(buttonNames[i]);
        FormSupport::setTag(b, FormSupport::tagOf(list));
        column->addWidget(b);
        *buttons << b;
    }
    column->addStretch(1);
    row->addLayout(column);
    layout->addWidget(frame);
    m_tabs->addTab(page, title);
    return page;
}

ListEditor* frmMIMEConfig::makeEditor(QTreeWidget* list, const EntrySpec& entry, const QList<int>& columns,
                                      const QString& adding, const QString& editing,
                                      const QList<QAbstractButton*>& buttons)
{
    ListEditor::Buttons b;
    if (buttons.size() == 3) {
        b.add = buttons[0];
        b.edit = buttons[1];
        b.remove = buttons[2];
    }
    auto* editor = new ListEditor(list, entry, inputs().context, b, this);
    editor->setColumns(columns);
    if (!adding.isEmpty())
        editor->setCaptions(adding, editing);
    connect(editor, &ListEditor::changed, this, &CorvaneDialog::markChanged);
    return editor;
}

frmMIMEConfig::frmMIMEConfig(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmMIMEConfig"), QStringLiteral("MIME Configuration"), 1700,
                    parent)
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    body()->addWidget(m_tabs);

    // MIME Types: the registered types, the types file and the others.
    m_types = makeList("lstMimeTypes", QStringLiteral("Content Type"), QStringLiteral("AddType"));
    QList<QAbstractButton*> typeButtons;
    QWidget* typesPage = listTab(QStringLiteral("MIME Types"), QStringLiteral("Registered MIME Types"),
                                 m_types, {"cmdAddType", "cmdEditType", "cmdRemoveType"}, &typeButtons);
    makeEditor(m_types, EntrySpecs::frmMIMETypes(), {0, 1}, {}, {}, typeButtons);

    auto* typesFile = new QGroupBox(QStringLiteral("MIME Types Configuration File"), typesPage);
    auto* tf = new QHBoxLayout(typesFile);
    auto* txtTypesConfig = PageWidgets::lineEdit(typesFile, "txtTypesConfig");
    bindings().bindDirective(txtTypesConfig, QStringLiteral("TypesConfig"), FormBindings::ReadAs::Unquoted,
                             FormBindings::WriteAs::Path);
    auto* typesLabel = new QLabel(QStringLiteral("TypesConfig:"), typesFile);
    typesLabel->setBuddy(txtTypesConfig);
    QPushButton* browse = PageWidgets::button(typesFile, "cmdBrowseFile", "Browse...");
    addBrowseButton(browse, txtTypesConfig);
    connect(browse, &QPushButton::clicked, this, [this, txtTypesConfig] {
        const QString name = FileDialog::getOpenFileName(this, QStringLiteral("Open"));
        if (name.isEmpty())
            return;
        txtTypesConfig->setText(name);
        markChanged();
    });
    tf->addWidget(typesLabel);
    tf->addWidget(txtTypesConfig, 1);
    tf->addWidget(browse);
    typesPage->layout()->addWidget(typesFile);

    auto* others = new QGroupBox(QStringLiteral("Others"), typesPage);
    auto* og = new QGridLayout(others);
    auto* cmbPathInfo = new QComboBox(others);
    cmbPathInfo->setObjectName(QStringLiteral("cmbModeMimeUsePathInfo"));
    cmbPathInfo->addItems({QString(), QStringLiteral("On"), QStringLiteral("Off")});
    bindings().bindDirective(cmbPathInfo, QStringLiteral("ModMimeUsePathInfo"),
                             FormBindings::ReadAs::ParamList);
    og->addWidget(new QLabel(QStringLiteral("ModMIMEUsePathInfo:"), others), 0, 0);
    og->addWidget(cmbPathInfo, 0, 1);
    m_multiViews = new QListWidget(others);
    m_multiViews->setObjectName(QStringLiteral("lstMultiViewsMatch"));
    m_multiViews->setSelectionMode(QAbstractItemView::MultiSelection);
    m_multiViews->addItems(kMultiViews);
    m_multiViews->setMaximumHeight(90);
    FormSupport::setTag(m_multiViews, QStringLiteral("MultiviewsMatch"));
    connect(m_multiViews, &QListWidget::itemSelectionChanged, this, &CorvaneDialog::markChanged);
    og->addWidget(new QLabel(QStringLiteral("Multi Views Match"), others), 1, 0, Qt::AlignTop);
    og->addWidget(m_multiViews, 1, 1);
    typesPage->layout()->addWidget(others);

    // Handlers.
    m_handlers = makeList("lstHandler", QStringLiteral("Handler Name"), QStringLiteral("AddHandler"));
    QList<QAbstractButton*> handlerButtons;
    listTab(QStringLiteral("Handlers"), QStringLiteral("Handler List"), m_handlers,
            {"cmdAddHandler", "cmdEditHandler", "cmdRemoveHandler"}, &handlerButtons);
    makeEditor(m_handlers, EntrySpecs::frmAddHandler(), {1, 0}, {}, {}, handlerButtons);

    // Filters: one set of buttons for the list the option buttons show.
    m_inputFilters = makeList("lstInputFilter", QStringLiteral("Filter"), QStringLiteral("AddInputFilter"));
    m_outputFilters =
        makeList("lstOutputFilter", QStringLiteral("Filter"), QStringLiteral("AddOutputFilter"));
    QList<QAbstractButton*> filterButtons;
    QWidget* filtersPage = listTab(QStringLiteral("Filters"), QStringLiteral("Filter List"), m_inputFilters,
                                   {"cmdAddFilter", "cmdEditFilter", "cmdRemoveFilter"}, &filterButtons);
    auto* filterFrame = m_inputFilters->parentWidget();
    m_outputFilters->setParent(filterFrame);
    static_cast<QHBoxLayout*>(filterFrame->layout())->insertWidget(1, m_outputFilters, 1);
    for (QAbstractButton* b : filterButtons)
        FormSupport::setTag(b, QString());
    auto* options = new QHBoxLayout;
    m_optIpFilter = new QRadioButton(QStringLiteral("Input Filters"), filtersPage);
    m_optIpFilter->setObjectName(QStringLiteral("optIpFilter"));
    FormSupport::setTag(m_optIpFilter, QStringLiteral("AddInputFilter"));
    m_optOpFilters = new QRadioButton(QStringLiteral("Output Filters"), filtersPage);
    m_optOpFilters->setObjectName(QStringLiteral("optOpFilters"));
    FormSupport::setTag(m_optOpFilters, QStringLiteral("AddOutputFilter"));
    options->addWidget(m_optIpFilter);
    options->addWidget(m_optOpFilters);
    options->addStretch(1);
    static_cast<QVBoxLayout*>(filtersPage->layout())->insertLayout(0, options);
    m_inputEditor = makeEditor(m_inputFilters, EntrySpecs::frmFilters(), {1, 0},
                               QStringLiteral("Add Input Filter"), QStringLiteral("Edit Input Filter"), {});
    m_outputEditor =
        makeEditor(m_outputFilters, EntrySpecs::frmFilters(), {1, 0}, QStringLiteral("Add Output Filter"),
                   QStringLiteral("Edit Output Filter"), {});
    auto current = [this] { return m_optOpFilters->isChecked() ? m_outputEditor : m_inputEditor; };
    connect(filterButtons[0], &QAbstractButton::clicked, this, [current] { current()->add(); });
    connect(filterButtons[1], &QAbstractButton::clicked, this, [current] { current()->edit(); });
    connect(filterButtons[2], &QAbstractButton::clicked, this, [current] { current()->remove(); });
    m_optIpFilter->setChecked(true);
    connect(m_optIpFilter, &QRadioButton::toggled, this, [this] { showFilters(); });
    showFilters();

    // Encodings.
    m_encodings = makeList("lstvEncoding", QStringLiteral("Mime Encoding"), QStringLiteral("AddEncoding"));
    QList<QAbstractButton*> encodingButtons;
    listTab(QStringLiteral("Encoding"), QStringLiteral("Encoding List"), m_encodings,
            {"cmdAddEncoding", "cmdEditEncoding", "cmdRemoveEncoding"}, &encodingButtons);
    makeEditor(m_encodings, EntrySpecs::frmAddEncoding(), {1, 0}, QStringLiteral("Add Mime Encoding"),
               QStringLiteral("Edit Mime Encoding"), encodingButtons);

    resize(600, 460);
}

void frmMIMEConfig::showFilters()
{
    const bool output = m_optOpFilters->isChecked();
    m_inputFilters->setVisible(!output);
    m_outputFilters->setVisible(output);
}

QString frmMIMEConfig::multiViews() const
{
    QStringList selected; // in list order
    for (int i = 0; i < m_multiViews->count(); ++i)
        if (m_multiViews->item(i)->isSelected())
            selected << m_multiViews->item(i)->text();
    return selected.join(u' ');
}

void frmMIMEConfig::FormLoad()
{
    CorvaneDialog::FormLoad();
    const QSignalBlocker block(m_multiViews);
    m_multiViews->clearSelection();
    for (const QString& p :
         FormBindings::paramsOf(*objConfigFile(), lScopeDirNo(), QStringLiteral("MultiviewsMatch"))) {
        QList<QListWidgetItem*> found = m_multiViews->findItems(p.trimmed(), Qt::MatchFixedString);
        for (QListWidgetItem* item : found)
            item->setSelected(true);
    }
    m_loadedMultiViews = multiViews();
    // Apache refuses MultiviewsMatch inside <Location> and <LocationMatch>.
    const Directive* scope = lScopeDirNo() > 0 ? objConfigFile()->FindDirective(lScopeDirNo()) : nullptr;
    if (scope && (scope->ScopeType() == DirectiveScop::ScopeLocation ||
                  scope->ScopeType() == DirectiveScop::ScopeLocationMatch))
        form().setUsable(m_multiViews, false);
}

bool frmMIMEConfig::SaveDirectivesFromGUI()
{
    if (!CorvaneDialog::SaveDirectivesFromGUI())
        return false;
    const QString now = multiViews();
    if (m_multiViews->isEnabledTo(this) && now != m_loadedMultiViews) {
        FormBindings::updateDirective(*objConfigFile(), lScopeDirNo(), QStringLiteral("MultiviewsMatch"),
                                      now);
        m_loadedMultiViews = now;
    }
    return true;
}

} // namespace corvane

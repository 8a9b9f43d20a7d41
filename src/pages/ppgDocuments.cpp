#include "pages/ppgDocuments.h"

#include "dialogs/EntrySpecs.h"
#include "dialogs/frmIndexOptions.h"
#include "forms/EntryDialog.h"
#include "forms/FormSupport.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

ppgDocuments::ppgDocuments(QWidget* parent)
    : CorvanePage(QStringLiteral("Documents"), 140, MainServer | Sections, parent),
      m_indexOptions(new frmIndexOptions(this))
{
    setObjectName(QStringLiteral("ppgDocuments"));
    m_indexOptions->form().helpHandler = [this](int id) { showHelpContext(id); };
    auto* layout = new QVBoxLayout(this);

    // A list with its Add / Remove / Up / Down column of buttons.
    auto listFrame = [&](const QString& title, const char* listName, const QString& column,
                         const QString& tag, const char* add, const char* remove, const char* up,
                         const char* down) {
        auto* frame = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(frame);
        auto* list = new QTreeWidget(frame);
        list->setObjectName(QString::fromLatin1(listName));
        ListViewRows::setup(list, {column});
        bindList(list, tag, RowShape::ParamPerRow);
        row->addWidget(list, 1);
        auto* buttons = new QVBoxLayout;
        QPushButton* cmdAdd = PageWidgets::button(frame, add, "Add...");
        QPushButton* cmdRemove = PageWidgets::button(frame, remove, "Remove");
        QPushButton* cmdUp = PageWidgets::button(frame, up, "Move Up");
        QPushButton* cmdDown = PageWidgets::button(frame, down, "Move Down");
        for (QPushButton* b : {cmdAdd, cmdRemove, cmdUp, cmdDown}) {
            setTag(b, tag);
            buttons->addWidget(b);
        }
        buttons->addStretch(1);
        row->addLayout(buttons);
        layout->addWidget(frame);
        connect(cmdRemove, &QPushButton::clicked, this, [this, list] {
            if (ListViewRows::removeSelectedRow(list))
                setChanged();
        });
        connect(cmdUp, &QPushButton::clicked, this, [this, list] {
            if (ListViewRows::moveSelectedRow(list, -1)) {
                list->scrollToItem(ListViewRows::selectedRow(list));
                setChanged();
            }
        });
        connect(cmdDown, &QPushButton::clicked, this, [this, list] {
            if (ListViewRows::moveSelectedRow(list, +1)) {
                list->scrollToItem(ListViewRows::selectedRow(list));
                setChanged();
            }
        });
        return std::pair{list, cmdAdd};
    };
    auto [docs, cmdAddDoc] = listFrame(QStringLiteral("Default Documents"), "lstvDirectoryIndex",
                                       QStringLiteral("Document"), QStringLiteral("DirectoryIndex"),
                                       "cmdAddDoc", "cmdRemoveDefaultDoc", "cmdDocUp", "cmdDocDown");
    m_lstvDirectoryIndex = docs;
    connect(cmdAddDoc, &QPushButton::clicked, this,
            [this] { addEntry(m_lstvDirectoryIndex, QStringLiteral("Add Document"), QString()); });
    auto [ignore, cmdAddIndex] = listFrame(QStringLiteral("Index Ignore"), "lstvIndx",
                                           QStringLiteral("File Name"), QStringLiteral("IndexIgnore"),
                                           "cmdAddIndex", "cmdRemoveIndex", "cmdIndexUp", "cmdIndexDown");
    m_lstvIndx = ignore;
    connect(cmdAddIndex, &QPushButton::clicked, this,
            [this] { addEntry(m_lstvIndx, QStringLiteral("Add Index"), QStringLiteral("File Name:")); });

    auto* listing = new QGroupBox(QStringLiteral("Index Listing"), this);
    auto* grid = new QGridLayout(listing);
    auto fileRow = [&](int r, const QString& label, const char* boxName, const QString& tag,
                       const char* browseName) {
        QLineEdit* box = PageWidgets::lineEdit(listing, boxName);
        bindDirective(box, tag, ReadAs::Unquoted, WriteAs::Path);
        QPushButton* browse = PageWidgets::button(listing, browseName, "Browse...");
        addBrowseButton(browse, box);
        connect(browse, &QPushButton::clicked, this, [this, box] { this->browse(box); });
        auto* l = new QLabel(label, listing);
        l->setBuddy(box);
        grid->addWidget(l, r, 0);
        grid->addWidget(box, r, 1);
        grid->addWidget(browse, r, 2);
        return box;
    };
    m_txtReadmeName = fileRow(0, QStringLiteral("Readme Name :"), "txtReadmeName",
                              QStringLiteral("ReadmeName"), "cmdBrowseReadme");
    m_txtHeaderName = fileRow(1, QStringLiteral("Header Name :"), "txtHeaderName",
                              QStringLiteral("HeaderName"), "cmdBrowseHeader");
    m_cmdIndexOptions = PageWidgets::button(listing, "cmdIndexOptions", "Advanced...");
    setTag(m_cmdIndexOptions, QStringLiteral("IndexOptions"));
    grid->addWidget(m_cmdIndexOptions, 2, 2);
    layout->addWidget(listing);
    layout->addStretch(1);

    connect(m_cmdIndexOptions, &QPushButton::clicked, this, [this] {
        if (!canOpenEditor())
            return;
        m_indexOptions->exec();
        setChanged();
    });
}

void ppgDocuments::addEntry(QTreeWidget* list, const QString& caption, const QString& label)
{
    EntryDialog dialog(EntrySpecs::frmAddDefaultDoc(), context(), this);
    dialog.setCaption(caption);
    if (!label.isEmpty())
        dialog.setLabel(0, label);
    dialog.exec();
    if (!dialog.Accepted)
        return;
    const QString text = dialog.value(0).trimmed();
    if (text.isEmpty())
        return;
    if (text.contains(u' ') || text.contains(u'\t') || text.contains(u'"')) {
        MessageBox::information(this,
                                QStringLiteral("\"%1\" cannot be added: a name in this list cannot hold "
                                               "blanks or quotes.")
                                    .arg(text));
        return;
    }
    QTreeWidgetItem* row = ListViewRows::addRow(list, {text});
    ListViewRows::selectRow(list, list->indexOfTopLevelItem(row));
    list->scrollToItem(row);
    setChanged();
}

void ppgDocuments::browse(QLineEdit* box)
{
    const QString name = FileDialog::getOpenFileName(this, QStringLiteral("Open"));
    if (name.isEmpty())
        return;
    box->setText(name);
    setChanged();
}

void ppgDocuments::ResetControls()
{
    m_kept.clear();
    m_indexOptions->setIndexOrder(QString(), QString());
    m_indexOptions->setIndexOptions({});
}

void ppgDocuments::LoadControls()
{
    m_indexOptions->setContext(context());
    m_indexOptions->setNodeContext(FormSupport::contextOfScope(model(), scopeNo()));
    // The dialog's controls are gated with the page, so Apply knows what the
    // server's version accepts even when the dialog was never opened.
    m_indexOptions->gateControls();

    const QStringList order = paramsOf(QStringLiteral("IndexOrderDefault"));
    m_indexOptions->setIndexOrder(order.value(0), order.value(1));
    m_kept.remember(QStringLiteral("IndexOrderDefault"), m_indexOptions->indexOrder());
    m_indexOptions->setIndexOptions(paramsOf(QStringLiteral("IndexOptions")));
    m_kept.remember(QStringLiteral("IndexOptions"), m_indexOptions->indexOptions().join(u' '));
}

void ppgDocuments::writeValue(const QString& directive, const QString& value, bool writable)
{
    if (!writable || !m_kept.changed(directive, value))
        return;
    updateDirective(directive, value);
    m_kept.remember(directive, value);
}

QStringList ppgDocuments::paramsOf(const QString& directive) const
{
    return FormBindings::paramsOf(*model(), scopeNo(), directive);
}

bool ppgDocuments::SaveDirectivesFromGUI()
{
    if (!CorvanePage::SaveDirectivesFromGUI())
        return false;
    writeValue(QStringLiteral("IndexOrderDefault"), m_indexOptions->indexOrder(),
               m_indexOptions->cmbIndexOrderSort()->isEnabled() &&
                   m_indexOptions->cmbIndexOrderPrimaryKey()->isEnabled());
    writeValue(QStringLiteral("IndexOptions"), m_indexOptions->indexOptions().join(u' '),
               m_indexOptions->lstvIndexOptions()->isEnabled());
    return true;
}

} // namespace corvane

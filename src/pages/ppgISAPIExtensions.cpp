#include "pages/ppgISAPIExtensions.h"

#include "dialogs/EntrySpecs.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"

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

ppgISAPIExtensions::ppgISAPIExtensions(QWidget* parent)
    : CorvanePage(QStringLiteral("ISAPI Extensions"), 180, MainServer | Sections, parent)
{
    setObjectName(QStringLiteral("ppgISAPIExtensions"));
    auto* layout = new QVBoxLayout(this);
    auto* other = new QGroupBox(QStringLiteral("Other"), this);
    auto* grid = new QGridLayout(other);
    int row = 0;
    auto add = [&](const QString& label, QWidget* control) {
        auto* l = new QLabel(label, other);
        l->setBuddy(control);
        grid->addWidget(l, row, 0);
        grid->addWidget(control, row, 1);
        ++row;
    };
    auto onOff = [&](const char* name, const QString& tag, const QString& label) {
        auto* c = new QComboBox(other);
        c->setObjectName(QString::fromLatin1(name));
        c->addItems({QString(), QStringLiteral("On"), QStringLiteral("Off")}); // empty: no directive
        bindDirective(c, tag, ReadAs::ParamList);
        add(label, c);
    };
    onOff("cmbISAPIFakeAsync", QStringLiteral("ISAPIFakeAsync"), QStringLiteral("Fake Asynchronous :"));
    onOff("cmbISAPILogNotSupported", QStringLiteral("ISAPILogNotSupported"),
          QStringLiteral("Log Not Supported :"));
    QLineEdit* buffer = PageWidgets::lineEdit(other, "txtISAPIReadAheadBuffer");
    bindDirective(buffer, QStringLiteral("ISAPIReadAheadBuffer"), ReadAs::ParamList);
    add(QStringLiteral("Read Ahead Buffer size :"), buffer);
    onOff("cmbISAPIAppendLogToQuery", QStringLiteral("ISAPIAppendLogToQuery"),
          QStringLiteral("Append Log to Query :"));
    onOff("cmbISAPIAppendLogToErrors", QStringLiteral("ISAPIAppendLogToErrors"),
          QStringLiteral("Append Log to Errors :"));
    layout->addWidget(other);

    const QString tag = QStringLiteral("ISAPICacheFile");
    auto* files = new QGroupBox(QStringLiteral("ISAPI Files"), this);
    files->setObjectName(QStringLiteral("frameISAPICacheFile"));
    auto* fl = new QVBoxLayout(files);
    fl->addWidget(new QLabel(
        QStringLiteral("Specify all the ISAPI .dll files to be loaded when the Apache Server is launched"),
        files));
    auto* listRow = new QHBoxLayout;
    m_lstvISAPIFiles = new QTreeWidget(files);
    m_lstvISAPIFiles->setObjectName(QStringLiteral("lstvISAPIFiles"));
    ListViewRows::setup(m_lstvISAPIFiles, {QStringLiteral("ISAPI CacheFile")});
    bindList(m_lstvISAPIFiles, tag, RowShape::ParamPerRow);
    listRow->addWidget(m_lstvISAPIFiles, 1);
    auto* buttons = new QVBoxLayout;
    ListEditor::Buttons b;
    b.add = PageWidgets::button(files, "cmdAdd", "Add...");
    b.remove = PageWidgets::button(files, "CmdRemove", "Remove");
    b.up = PageWidgets::button(files, "cmdUP", "Up");
    b.down = PageWidgets::button(files, "cmdDown", "Down");
    for (QAbstractButton* w : {b.add, b.remove, b.up, b.down}) {
        setTag(w, tag);
        buttons->addWidget(w);
    }
    buttons->addStretch(1);
    listRow->addLayout(buttons);
    fl->addLayout(listRow);
    layout->addWidget(files);
    layout->addStretch(1);

    m_editor = new ListEditor(m_lstvISAPIFiles, EntrySpecs::frmISAPIExt(), context(), b, this);
    connect(m_editor, &ListEditor::changed, this, [this] { setChanged(); });
}

void ppgISAPIExtensions::LoadControls()
{
    m_editor->setContext(context());
}

} // namespace corvane

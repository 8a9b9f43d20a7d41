#include "dialogs/frmHTTPHeaders.h"

#include "dialogs/EntrySpecs.h"
#include "forms/EntryDialog.h"
#include "forms/FormSupport.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "forms/PageWidgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {

constexpr int kAction = 1;

ListEditor* makeEditor(QTreeWidget* list, const PageContext& context, bool response, QObject* parent)
{
    auto* editor = new ListEditor(list, EntrySpecs::frmAddHTTPHeader(), context, {}, parent);
    editor->setCaptions(
        response ? QStringLiteral("Add Response Header") : QStringLiteral("Add Request Header"),
        response ? QStringLiteral("Edit Response Header") : QStringLiteral("Edit Request Header"));
    editor->setPrepare([](EntryDialog& dialog, const QTreeWidgetItem* editing) {
        // A rule read from the file may use an action (or a condition such as
        // "always set") the dialog does not list: it is offered as it stands.
        if (!editing)
            return;
        const QString action = editing->text(kAction);
        auto* combo = qobject_cast<QComboBox*>(dialog.field(kAction));
        if (combo && !action.isEmpty() && combo->findText(action) < 0)
            combo->addItem(action);
    });
    return editor;
}

} // namespace

frmHTTPHeaders::frmHTTPHeaders(QWidget* parent)
    : FormDialog(QStringLiteral("frmHTTPHeaders"), QStringLiteral("HTTP Headers"), 1710, parent)
{
    auto* frame = new QGroupBox(QStringLiteral("Headers"), this);
    auto* row = new QHBoxLayout(frame);
    const QStringList columns{QStringLiteral("Header Name"), QStringLiteral("Action"),
                              QStringLiteral("Value")};
    m_response = new QTreeWidget(frame);
    m_response->setObjectName(QStringLiteral("lstvResponse"));
    ListViewRows::setup(m_response, columns);
    FormSupport::setTag(m_response, QStringLiteral("Header"));
    m_request = new QTreeWidget(frame);
    m_request->setObjectName(QStringLiteral("lstvRequest"));
    ListViewRows::setup(m_request, columns);
    FormSupport::setTag(m_request, QStringLiteral("RequestHeader"));
    row->addWidget(m_response, 1);
    row->addWidget(m_request, 1);
    auto* buttons = new QVBoxLayout;
    QPushButton* add = PageWidgets::button(frame, "cmdAdd", "Add...");
    QPushButton* edit = PageWidgets::button(frame, "cmdEdit", "Edit...");
    QPushButton* remove = PageWidgets::button(frame, "cmdRemove", "Remove");
    QPushButton* up = PageWidgets::button(frame, "cmdUp", "Up");
    QPushButton* down = PageWidgets::button(frame, "cmdDown", "Down");
    for (QPushButton* b : {add, edit, remove, up, down})
        buttons->addWidget(b);
    buttons->addStretch(1);
    row->addLayout(buttons);
    body()->addWidget(frame);
    connect(add, &QPushButton::clicked, this, [this] { editor()->add(); });
    connect(edit, &QPushButton::clicked, this, [this] { editor()->edit(); });
    connect(remove, &QPushButton::clicked, this, [this] { editor()->remove(); });
    connect(up, &QPushButton::clicked, this, [this] { editor()->moveUp(); });
    connect(down, &QPushButton::clicked, this, [this] { editor()->moveDown(); });
    contextChanged();
    showList(true);
    resize(560, 340);
}

void frmHTTPHeaders::contextChanged()
{
    delete m_responseEditor;
    delete m_requestEditor;
    m_responseEditor = makeEditor(m_response, context(), true, this);
    m_requestEditor = makeEditor(m_request, context(), false, this);
}

ListEditor* frmHTTPHeaders::editor() const
{
    return m_showsResponse ? m_responseEditor : m_requestEditor;
}

void frmHTTPHeaders::showList(bool response)
{
    m_showsResponse = response;
    setCaption(response ? QStringLiteral("Response Headers") : QStringLiteral("Request Headers"));
    m_response->setVisible(response);
    m_request->setVisible(!response);
}

} // namespace corvane

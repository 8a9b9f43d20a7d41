#include "dialogs/frmPortConfiguration.h"

#include "forms/FormSupport.h"
#include "forms/ListViewRows.h"
#include "host/MessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

namespace {
constexpr int kPrevious = Qt::UserRole + 1;
const QString kNewPort = QStringLiteral("New Port");
} // namespace

frmPortConfiguration::frmPortConfiguration(QWidget* parent)
    : FormDialog(QStringLiteral("frmPortConfiguration"), QStringLiteral("Port Configuration"), 0, parent)
{
    QVBoxLayout* layout = body();
    auto* frame = new QGroupBox(QStringLiteral("Listen List"), this);
    auto* frameLayout = new QHBoxLayout(frame);
    m_list = new QTreeWidget(frame);
    m_list->setObjectName(QStringLiteral("lstListen"));
    ListViewRows::setup(m_list, {QStringLiteral("Address:Port")});
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    FormSupport::setTag(m_list, QStringLiteral("Listen"));
    m_list->installEventFilter(this);
    frameLayout->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    const QList<QPair<const char*, const char*>> names{{"cmdAdd", "Add..."},
                                                       {"cmdEdit", "Edit..."},
                                                       {"cmdRemove", "Remove"},
                                                       {"cmdMoveUp", "Move Up"},
                                                       {"cmdMoveDown", "Move Down"}};
    QList<QPushButton*> made;
    for (const auto& [name, caption] : names) {
        auto* b = new QPushButton(QString::fromLatin1(caption), frame);
        b->setObjectName(QString::fromLatin1(name));
        FormSupport::setTag(b, QStringLiteral("Listen"));
        buttons->addWidget(b);
        made << b;
    }
    buttons->addStretch(1);
    frameLayout->addLayout(buttons);
    layout->addWidget(frame);
    connect(made[0], &QPushButton::clicked, this, &frmPortConfiguration::addPort);
    connect(made[1], &QPushButton::clicked, this, &frmPortConfiguration::editPort);
    connect(made[2], &QPushButton::clicked, this, &frmPortConfiguration::removePort);
    connect(made[3], &QPushButton::clicked, this, [this] { ListViewRows::moveSelectedRow(m_list, -1); });
    connect(made[4], &QPushButton::clicked, this, [this] { ListViewRows::moveSelectedRow(m_list, +1); });
    connect(m_list, &QTreeWidget::itemChanged, this, &frmPortConfiguration::itemChanged);
    resize(420, 300);
}

QTreeWidgetItem* frmPortConfiguration::newRow(const QString& text)
{
    m_reverting = true;
    QTreeWidgetItem* item = ListViewRows::addRow(m_list, {text});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setData(0, kPrevious, text);
    m_reverting = false;
    return item;
}

void frmPortConfiguration::setPorts(const QStringList& ports)
{
    m_list->clear();
    for (const QString& p : ports)
        newRow(p);
    FillValuesInArrayFromListView();
}

QStringList frmPortConfiguration::ports() const
{
    return ListViewRows::texts(m_list);
}

QString frmPortConfiguration::checkPort(const QString& text)
{
    for (QChar c : text)
        if (!QStringLiteral("0123456789.:").contains(c))
            return QStringLiteral("Port number must be numeric");
    const QString port = text.mid(text.lastIndexOf(u':') + 1);
    bool ok = false;
    const qlonglong n = port.toLongLong(&ok);
    if (!ok || n < 1 || n > 65535)
        return QStringLiteral("Port number must be between 1 and 65535");
    return {};
}

void frmPortConfiguration::itemChanged(QTreeWidgetItem* item, int column)
{
    if (m_reverting || column != 0)
        return;
    const QString message = checkPort(item->text(0));
    m_reverting = true;
    if (!message.isEmpty()) {
        item->setText(0, item->data(0, kPrevious).toString());
        m_reverting = false;
        MessageBox::information(this, message);
        return;
    }
    item->setData(0, kPrevious, item->text(0));
    m_reverting = false;
}

void frmPortConfiguration::addPort()
{
    QTreeWidgetItem* item = newRow(kNewPort);
    ListViewRows::selectRow(m_list, m_list->indexOfTopLevelItem(item));
    m_list->editItem(item, 0);
}

void frmPortConfiguration::editPort()
{
    if (QTreeWidgetItem* item = ListViewRows::selectedRow(m_list))
        m_list->editItem(item, 0);
}

void frmPortConfiguration::removePort()
{
    ListViewRows::removeSelectedRow(m_list);
}

void frmPortConfiguration::RemoveInValidPorts()
{
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i)
        if (m_list->topLevelItem(i)->text(0) == kNewPort)
            delete m_list->takeTopLevelItem(i);
}

void frmPortConfiguration::FillValuesInArrayFromListView()
{
    m_saved = ports();
}

void frmPortConfiguration::FillValuesInListViewFromArray()
{
    const QStringList saved = m_saved;
    m_list->clear();
    for (const QString& p : saved)
        newRow(p);
}

void frmPortConfiguration::accept()
{
    RemoveInValidPorts();
    FillValuesInArrayFromListView();
    FormDialog::accept();
}

void frmPortConfiguration::reject()
{
    FillValuesInListViewFromArray();
    FormDialog::reject();
}

bool frmPortConfiguration::eventFilter(QObject* watched, QEvent* event)
{
    // Rows still reading "New Port" go when the focus leaves the list (its
    // own label editor does not count).
    if (watched == m_list && event->type() == QEvent::FocusOut) {
        QTimer::singleShot(0, this, [this] {
            QWidget* f = QApplication::focusWidget();
            if (!f || (f != m_list && !m_list->isAncestorOf(f)))
                RemoveInValidPorts();
        });
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane

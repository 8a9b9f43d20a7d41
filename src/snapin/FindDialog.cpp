#include "snapin/FindDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace corvane::snapin {

FindDialog::FindDialog(const QString& serverName, Search search, Choose choose, QWidget* parent)
    : QDialog(parent), m_server(serverName), m_search(std::move(search)), m_choose(std::move(choose))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find in %1").arg(serverName));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Find &what:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtFind"));
    label->setBuddy(m_text);
    auto* findButton = new QPushButton(QStringLiteral("&Find"), this);
    findButton->setObjectName(QStringLiteral("cmdFindNow"));
    findButton->setDefault(true);
    m_namesOnly = new QCheckBox(QStringLiteral("Directive &names only"), this);
    m_namesOnly->setObjectName(QStringLiteral("chkDirectiveNamesOnly"));
    m_namesOnly->setToolTip(QStringLiteral("Find the directives and sections of this name; otherwise every "
                                           "line whose name or values hold the text"));
    m_results = new QTreeWidget(this);
    m_results->setObjectName(QStringLiteral("lstFindResults"));
    m_results->setHeaderLabels(
        {QStringLiteral("Node"), QStringLiteral("File"), QStringLiteral("Line"), QStringLiteral("Text")});
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setAllColumnsShowFocus(true);
    m_results->header()->resizeSection(0, 180);
    m_results->header()->resizeSection(1, 180);
    m_results->header()->resizeSection(2, 60);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblFindCount"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    layout->addWidget(label, 0, 0);
    layout->addWidget(m_text, 0, 1);
    layout->addWidget(findButton, 0, 2);
    layout->addWidget(m_namesOnly, 1, 1, 1, 2);
    layout->addWidget(m_results, 2, 0, 1, 3);
    layout->addWidget(m_count, 3, 0, 1, 2);
    layout->addWidget(buttons, 3, 2);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);

    connect(findButton, &QPushButton::clicked, this, &FindDialog::findNow);
    connect(m_text, &QLineEdit::returnPressed, this, &FindDialog::findNow);
    connect(m_results, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { this->choose(m_results->indexOfTopLevelItem(item)); });
    resize(720, 420);
}

void FindDialog::findNow()
{
    m_results->clear();
    std::size_t total = 0;
    m_hits = m_search ? m_search(m_text->text(), m_namesOnly->isChecked(), kMaxListed, &total)
                      : std::vector<SearchHit>{};
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(m_hits.size()));
    for (const SearchHit& hit : m_hits) {
        auto* row = new QTreeWidgetItem({hit.nodeName, hit.file, QString::number(hit.line), hit.text});
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    m_results->addTopLevelItems(rows);
    if (total == 0)
        m_count->setText(QStringLiteral("Not found"));
    else if (total > m_hits.size())
        m_count->setText(QStringLiteral("%1 found, the first %2 listed").arg(total).arg(m_hits.size()));
    else
        m_count->setText(QStringLiteral("%1 found").arg(total));
    if (!rows.isEmpty())
        m_results->setCurrentItem(rows.front());
}

void FindDialog::choose(int row)
{
    if (row < 0 || std::size_t(row) >= m_hits.size() || !m_choose)
        return;
    m_choose(m_hits[std::size_t(row)]);
}

} // namespace corvane::snapin

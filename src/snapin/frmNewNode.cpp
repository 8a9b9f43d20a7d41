#include "snapin/frmNewNode.h"

#include "host/MessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::snapin {

frmNewNode::frmNewNode(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNewNode"));
    setWindowTitle(QStringLiteral("Add New"));
    setModal(true);

    lblNodeType = new QLabel(QStringLiteral("New Node:"), this);
    lblNodeType->setObjectName(QStringLiteral("lblNodeType"));
    txtNewItemValue = new QLineEdit(this);
    txtNewItemValue->setObjectName(QStringLiteral("txtNewItemValue"));
    txtNewItemValue->setMinimumWidth(280);
    lblNodeType->setBuddy(txtNewItemValue);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblNodeType);
    layout->addWidget(txtNewItemValue);
    layout->addLayout(buttons);

    connect(cmdOk, &QPushButton::clicked, this, &frmNewNode::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewNode::cmdCancel_Click);
}

void frmNewNode::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void frmNewNode::setLabel(const QString& label)
{
    lblNodeType->setText(label);
}

QString frmNewNode::text() const
{
    return txtNewItemValue->text();
}

QString frmNewNode::invalidNameReason(const QString& text, bool quotesKept)
{
    for (QChar c : text) {
        if (c == u'<' || c == u'>')
            return QStringLiteral("The name cannot contain \"<\" or \">\".");
        if (c == u'\r' || c == u'\n' || c.unicode() == 0)
            return QStringLiteral("The name cannot contain a line break.");
    }
    if (quotesKept && text.count(u'"') % 2 != 0)
        return QStringLiteral("The name contains an unmatched double quote.");
    return {};
}

void frmNewNode::cmdOk_Click()
{
    const QString value = txtNewItemValue->text();
    if (value.isEmpty()) {
        MessageBox::information(this, QStringLiteral("Please Enter ") + windowTitle() + QStringLiteral(" Name"));
        return;
    }
    const QString reason = invalidNameReason(value, m_quotesKept);
    if (!reason.isEmpty()) {
        MessageBox::information(this, reason);
        return;
    }
    m_confirmed = true;
    accept();
}

void frmNewNode::cmdCancel_Click()
{
    m_confirmed = false;
    reject();
}

} // namespace corvane::snapin

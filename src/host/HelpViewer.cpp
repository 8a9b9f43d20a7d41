#include "host/HelpViewer.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "host/HelpTopics.h"

namespace corvane {

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(tr("Corvane Help"));
    resize(640, 520);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    m_browser->setSearchPaths({QStringLiteral(":/help")});
    m_browser->setOpenExternalLinks(true);

    auto* contents = new QPushButton(tr("&Contents"), this);
    contents->setObjectName(QStringLiteral("cmdHelpContents"));
    auto* back = new QPushButton(tr("&Back"), this);
    back->setObjectName(QStringLiteral("cmdHelpBack"));
    auto* forward = new QPushButton(tr("&Forward"), this);
    forward->setObjectName(QStringLiteral("cmdHelpForward"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(QStringLiteral("overview")); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(tr("Corvane Help - %1").arg(m_browser->documentTitle())); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
}

bool HelpViewer::showTopic(const QString& topic)
{
    QUrl url = HelpTopics::resolveTopic(topic);
    const bool found = url.isValid() && !url.isEmpty();
    showUrl(found ? url : HelpTopics::resolveTopic(QStringLiteral("overview")));
    return found;
}

bool HelpViewer::showContext(int contextId)
{
    QUrl url = HelpTopics::resolveContext(contextId);
    const bool found = url.isValid() && !url.isEmpty();
    showUrl(found ? url : HelpTopics::resolveTopic(QStringLiteral("overview")));
    return found;
}

void HelpViewer::showUrl(const QUrl& url)
{
    m_browser->setSource(url);
    show();
    raise();
    activateWindow();
}

QUrl HelpViewer::currentUrl() const
{
    return m_browser->source();
}

QString HelpViewer::currentTitle() const
{
    return m_browser->documentTitle();
}

} // namespace corvane

#pragma once
// The help window (objectName helpViewer) with a QTextBrowser (txtHelp)
// showing our own HTML help pages, and a Contents button (cmdHelpContents).
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace corvane {

class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows a topic / context number and raises the window; false when unknown
    // (the overview is shown instead).
    bool showTopic(const QString& topic);
    bool showContext(int contextId);
    QUrl currentUrl() const;
    QString currentTitle() const;

private:
    void showUrl(const QUrl& url);
    QTextBrowser* m_browser;
};

} // namespace corvane

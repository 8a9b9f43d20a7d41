#include "dialogs/frmEnvironmentVariables.h"

#include "dialogs/DialogParts.h"
#include "dialogs/EntrySpecs.h"
#include "forms/PageWidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

frmEnvironmentVariables::frmEnvironmentVariables(const EditorInputs& inputs, QWidget* parent)
    : CorvaneDialog(inputs, QStringLiteral("frmEnvironmentVariables"),
                    QStringLiteral("Environment Variables"), 1050, parent)
{
    auto* cgi = new QGroupBox(QStringLiteral("CGI Script Settings"), this);
    auto* cgiLayout = new QVBoxLayout(cgi);
    auto* tabs = new QTabWidget(cgi);
    tabs->setObjectName(QStringLiteral("sstCGI"));
    cgiLayout->addWidget(tabs);
    body()->addWidget(cgi, 1);

    const QList<const char*> names{"cmdAdd", "cmdEdit", "cmdRemove"};
    auto tab = [&](const char* title, const char* label, const char* list, const QStringList& headers,
                   const char* directive, int shape, const EntrySpec& entry) {
        auto* page = new QWidget(tabs);
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(new QLabel(QString::fromLatin1(label), page));
        const QByteArray prefix = QByteArray(list).mid(4); // lstvSetCGI -> cmdAddSetCGI ...
        QList<QByteArray> owned;
        for (const char* n : names)
            owned << QByteArray(n) + prefix;
        QList<const char*> buttons;
        for (const QByteArray& n : owned)
            buttons << n.constData();
        DialogParts::ListPart part = DialogParts::list(this, page, list, headers,
                                                       QString::fromLatin1(directive), shape, entry, buttons);
        tabs->addTab(page, QString::fromLatin1(title));
        return part;
    };
    DialogParts::ListPart set = tab("Set (CGI)", "Set For CGI Script:", "lstvSetCGI",
                                    {QStringLiteral("Variable"), QStringLiteral("Value")}, "SetEnv",
                                    int(FormBindings::RowShape::FirstRest), EntrySpecs::frmAddEnvVariables());
    set.editor->setCaptions(QStringLiteral("Add new environment variable"),
                            QStringLiteral("Edit environment variable"));
    tab("Pass  (CGI)", "Pass to CGI Script:", "lstvPassCGI", {QStringLiteral("Variable")}, "PassEnv",
        int(FormBindings::RowShape::WholeText), EntrySpec{});
    tab("Unset  (CGI)", "Unset For CGI Script:", "lstvUnSetCGI", {QStringLiteral("Variable")}, "UnsetEnv",
        int(FormBindings::RowShape::WholeText), EntrySpec{});

    // General: four lists, one shown at a time, chosen by option buttons;
    // the tab's buttons act on the list shown.
    auto* general = new QWidget(tabs);
    auto* generalLayout = new QVBoxLayout(general);
    auto* options = new QHBoxLayout;
    m_general = new QStackedWidget(general);
    const struct
    {
        const char* option;
        const char* caption;
        const char* list;
        const char* directive;
    } lists[] = {{"optBrowserMatch", "Browser Match", "lstvBMatch", "BrowserMatch"},
                 {"optBrowserMatchNoCase", "Browser Match No Case", "lstvBMatchNoCase", "BrowserMatchNoCase"},
                 {"optSetEnvIf", "Set Env If", "lstvSetEnvIf", "SetEnvIf"},
                 {"optSetEnvIfNoCase", "Set Env If No Case", "lstvSetEnvIfNoCase", "SetEnvIfNoCase"}};
    QList<ListEditor*> editors;
    for (int i = 0; i < 4; ++i) {
        auto* opt = new QRadioButton(QString::fromLatin1(lists[i].caption), general);
        opt->setObjectName(QString::fromLatin1(lists[i].option));
        opt->setChecked(i == 0);
        options->addWidget(opt);
        auto* page = new QWidget(m_general);
        new QVBoxLayout(page);
        DialogParts::ListPart part = DialogParts::list(
            this, page, lists[i].list, {QStringLiteral("Value")}, QString::fromLatin1(lists[i].directive),
            int(FormBindings::RowShape::WholeText), EntrySpec{}, {});
        editors << part.editor;
        m_general->addWidget(page);
        connect(opt, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                m_general->setCurrentIndex(i);
        });
    }
    generalLayout->addLayout(options);
    auto* generalRow = new QHBoxLayout;
    generalRow->addWidget(m_general, 1);
    auto* generalButtons = new QVBoxLayout;
    const char* captions[] = {"Add...", "Edit...", "Remove"};
    const char* buttonNames[] = {"cmdAddGeneral", "cmdEditGeneral", "cmdRemoveGeneral"};
    for (int b = 0; b < 3; ++b) {
        QPushButton* button = PageWidgets::button(general, buttonNames[b], captions[b]);
        generalButtons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, editors, b] {
            ListEditor* e = editors.value(m_general->currentIndex());
            if (b == 0)
                e->add();
            else if (b == 1)
                e->edit();
            else
                e->remove();
        });
    }
    generalButtons->addStretch(1);
    generalRow->addLayout(generalButtons);
    generalLayout->addLayout(generalRow, 1);
    tabs->addTab(general, QStringLiteral("General"));

    auto* others = new QGroupBox(QStringLiteral("Others"), this);
    auto* grid = new QGridLayout(others);
    QPushButton* browse = nullptr;
    QLineEdit* scriptLog = DialogParts::fileBox(this, others, "txtScriptLog", "cmdBrowseSLog", &browse);
    bindings().bindDirective(scriptLog, QStringLiteral("ScriptLog"), FormBindings::ReadAs::Unquoted,
                             FormBindings::WriteAs::Path);
    DialogParts::row(grid, QStringLiteral("Script Log:"), scriptLog, browse);
    QLineEdit* buffer = PageWidgets::lineEdit(others, "txtScriptLogBuffer");
    bindings().bindDirective(buffer, QStringLiteral("ScriptLogBuffer"));
    DialogParts::row(grid, QStringLiteral("Script Log Buffer:"), buffer,
                     new QLabel(QStringLiteral("Bytes"), others));
    QLineEdit* length = PageWidgets::lineEdit(others, "txtScriptLogLength");
    bindings().bindDirective(length, QStringLiteral("ScriptLogLength"));
    DialogParts::row(grid, QStringLiteral("Script Log Length:"), length,
                     new QLabel(QStringLiteral("Bytes"), others));
    body()->addWidget(others);
    resize(620, 520);
}

} // namespace corvane

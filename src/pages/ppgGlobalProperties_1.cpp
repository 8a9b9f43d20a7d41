#include "pages/ppgGlobalProperties_1.h"

#include "dialogs/frmModules.h"
#include "dialogs/frmPerformance.h"
#include "forms/PageWidgets.h"
#include "host/FileDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

ppgGlobalProperties_1::ppgGlobalProperties_1(QWidget* parent)
    : CorvanePage(QStringLiteral("Global Properties (Advanced)"), 101, ServerNode, parent)
{
    setObjectName(QStringLiteral("ppgGlobalProperties_1"));
    auto* layout = new QVBoxLayout(this);
    auto* files = new QGroupBox(QStringLiteral("Files"), this);
    new QGridLayout(files);
    fileRow(files, 0, "ScoreBoard File :", "txtScoreBoardFile", "cmdBrowseSBFile",
            QStringLiteral("ScoreBoardFile"));
    fileRow(files, 1, "PID File :", "txtPidFile", "cmdBrowsePIDFile", QStringLiteral("PidFile"));
    fileRow(files, 2, "Lock File :", "txtLockFile", "cmdBrowseLockFile", QStringLiteral("LockFile"));
    layout->addWidget(files);

    auto* modules = new QGroupBox(QStringLiteral("Modules"), this);
    auto* modulesLayout = new QHBoxLayout(modules);
    modulesLayout->addWidget(new QLabel(QStringLiteral("Modules :"), modules), 1);
    auto* cmdModuleEdit = PageWidgets::button(modules, "cmdModuleEdit", "Edit...");
    modulesLayout->addWidget(cmdModuleEdit);
    connect(cmdModuleEdit, &QPushButton::clicked, this, [this] { openEditor<frmModules>(); });
    layout->addWidget(modules);

    auto* performance = new QGroupBox(QStringLiteral("Performance"), this);
    auto* perfLayout = new QHBoxLayout(performance);
    perfLayout->addWidget(new QLabel(QStringLiteral("Performance Tuning :"), performance), 1);
    auto* cmdPerfmSettings = PageWidgets::button(performance, "cmdPerfmSettings", "Settings...");
    connect(cmdPerfmSettings, &QPushButton::clicked, this, [this] { openEditor<frmPerformance>(); });
    perfLayout->addWidget(cmdPerfmSettings);
    layout->addWidget(performance);
    layout->addStretch(1);
}

QLineEdit* ppgGlobalProperties_1::fileRow(QWidget* frame, int row, const char* label, const char* text,
                                          const char* browse, const QString& directive)
{
    auto* grid = static_cast<QGridLayout*>(frame->layout());
    QLineEdit* edit = PageWidgets::lineEdit(frame, text);
    bindDirective(edit, directive, ReadAs::Unquoted, WriteAs::Path);
    QPushButton* button = PageWidgets::button(frame, browse, "Browse...");
    addBrowseButton(button, edit);
    auto* l = new QLabel(QString::fromLatin1(label), frame);
    l->setBuddy(edit);
    grid->addWidget(l, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(button, row, 2);
    connect(button, &QPushButton::clicked, this, [this, edit] {
        const QString chosen = FileDialog::getOpenFileName(this, QStringLiteral("Select file"));
        if (!chosen.isEmpty()) {
            edit->setText(chosen);
            setChanged();
        }
    });
    return edit;
}

} // namespace corvane

// The modules editor opened from the advanced global page, its entry
// dialog, the missing-module prompt, and every entry dialog's required-field
// check.
#include "PageFixture.h"

#include "dialogs/EntrySpecs.h"
#include "dialogs/ModulePrompt.h"
#include "dialogs/frmModules.h"
#include "forms/EditorInputs.h"
#include "forms/EntryDialog.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf = "ServerRoot \"/usr/local/apache\"\n"
                         "LoadModule env_module libexec/mod_env.so\n"
                         "LoadModule mime_module libexec/mod_mime.so\n"
                         "<IfDefine SSL>\n"
                         "LoadModule ssl_module libexec/libssl.so\n"
                         "</IfDefine>\n"
                         "ClearModuleList\n"
                         "AddModule mod_env.c\n"
                         "AddModule mod_mime.c\n"
                         "ServerName www.example.org\n";

// Main-server lines of one directive, in order.
QStringList mainLines(const QStringList& lines, const QString& directive)
{
    QStringList out;
    int depth = 0;
    for (const QString& l : lines) {
        if (l.startsWith("</"))
            --depth;
        else if (l.startsWith('<'))
            ++depth;
        else if (depth == 0 && l.startsWith(directive + ' '))
            out << l;
    }
    return out;
}

void fillEntry(QDialog* d, const QString& name, const QString& path)
{
    d->findChild<QLineEdit*>("txtModuleName")->setText(name);
    d->findChild<QLineEdit*>("txtFilePath")->setText(path);
    QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
}

void selectRow(QTreeWidget* list, int row)
{
    list->setCurrentItem(list->topLevelItem(row));
    list->topLevelItem(row)->setSelected(true);
}

} // namespace

class DialogsModules : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    // Opens frmModules from the advanced global page and runs `steps` in it;
    // `finish` is "ok", "cancel" or "apply+cancel".
    void runModules(const QString& server, const std::function<void(QDialog*)>& steps, const QString& finish)
    {
        PropertySheet* sheet = fx->openSheet(server, -2, {"ppgGlobalProperties_1"});
        fx->whenShown("frmModules", [&](QDialog* d) {
            steps(d);
            if (finish == "apply+cancel") {
                QVERIFY(d->findChild<QPushButton*>("cmdApply")->isEnabled());
                QTest::mouseClick(d->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
                QVERIFY(!d->findChild<QPushButton*>("cmdApply")->isEnabled());
            }
            QTest::mouseClick(d->findChild<QPushButton*>(finish == "ok" ? "cmdOK" : "cmdCancel"),
                              Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdModuleEdit"), Qt::LeftButton);
        QVERIFY(fx->answered() >= 1);
        sheet->reject();
    }

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("old", kConf, "1.3.34");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    void loadsTheScopesModules()
    {
        runModules(
            "old",
            [](QDialog* d) {
                auto* load = d->findChild<QTreeWidget*>("lstLoadModule");
                auto* add = d->findChild<QTreeWidget*>("lstAddModule");
                QCOMPARE(load->topLevelItemCount(), 2); // the one inside <IfDefine> is not the main server's
                QCOMPARE(load->topLevelItem(1)->text(0), QString("mime_module"));
                QCOMPARE(load->topLevelItem(1)->text(1), QString("libexec/mod_mime.so"));
                QCOMPARE(add->topLevelItemCount(), 2);
                QVERIFY(!d->findChild<QPushButton*>("cmdApply")->isEnabled());
                QVERIFY(add->isEnabled()); // 1.3 knows AddModule
            },
            "cancel");
    }

    void edits_data()
    {
        QTest::addColumn<QStringList>(
            "steps"); // tab:N | add:name:path | edit:row:name:path | remove:row | up:row | down:row
        QTest::addColumn<QString>("finish");
        QTest::addColumn<QStringList>("loadModules");
        QTest::addColumn<QStringList>("addModules");
        QTest::addColumn<QString>("message");
        const QStringList load{"LoadModule env_module libexec/mod_env.so",
                               "LoadModule mime_module libexec/mod_mime.so"};
        const QStringList add{"AddModule mod_env.c", "AddModule mod_mime.c"};
        QTest::newRow("add a module")
            << QStringList{"add:rewrite_module:libexec/mod_rewrite.so"} << "ok"
            << (load + QStringList{"LoadModule rewrite_module libexec/mod_rewrite.so"}) << add << "";
        QTest::newRow("path with a blank")
            << QStringList{"add:x_module:/opt/my mods/mod_x.so"} << "ok"
            << (load + QStringList{"LoadModule x_module \"/opt/my mods/mod_x.so\""}) << add << "";
        QTest::newRow("duplicate load refused")
            << QStringList{"add:MIME_module:other.so"} << "ok" << load << add << "Module Already Loaded";
        QTest::newRow("duplicate add refused")
            << QStringList{"tab:1", "add:mod_env.c:x"} << "ok" << load << add << "Module Already Available";
        QTest::newRow("same name on the other tab")
            << QStringList{"tab:1", "add:env_module:libexec/mod_env.so"} << "ok" << load
            << (add + QStringList{"AddModule env_module libexec/mod_env.so"}) << "";
        QTest::newRow("edit") << QStringList{"edit:0:env_module:modules/mod_env.so"} << "ok"
                              << QStringList{"LoadModule env_module modules/mod_env.so",
                                             "LoadModule mime_module libexec/mod_mime.so"}
                              << add << "";
        QTest::newRow("move up") << QStringList{"up:1"} << "ok" << QStringList{load[1], load[0]} << add << "";
        QTest::newRow("move up at the top") << QStringList{"up:0"} << "ok" << load << add << "";
        QTest::newRow("remove every row")
            << QStringList{"remove:0", "remove:0"} << "ok" << QStringList{} << add << "";
        QTest::newRow("cancel writes nothing") << QStringList{"remove:0"} << "cancel" << load << add << "";
        QTest::newRow("cancel after apply keeps it")
            << QStringList{"remove:0"} << "apply+cancel" << QStringList{load[1]} << add << "";
    }
    void edits()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, finish);
        QFETCH(QStringList, loadModules);
        QFETCH(QStringList, addModules);
        QFETCH(QString, message);
        const QStringList before = fx->lines("old");
        runModules(
            "old",
            [&](QDialog* d) {
                auto* tabs = d->findChild<QTabWidget*>("ssTabLoadModule");
                QString prefix = "cmdLD";
                QTreeWidget* list = d->findChild<QTreeWidget*>("lstLoadModule");
                for (const QString& step : steps) {
                    const QStringList p = step.split(':');
                    if (p[0] == "tab") {
                        tabs->setCurrentIndex(p[1].toInt());
                        prefix = "cmdAD";
                        list = d->findChild<QTreeWidget*>("lstAddModule");
                    } else if (p[0] == "add") {
                        fx->whenShown("frmAddModule", [&](QDialog* e) { fillEntry(e, p[1], p[2]); });
                        QTest::mouseClick(d->findChild<QPushButton*>(prefix + "AddModule"), Qt::LeftButton);
                    } else if (p[0] == "edit") {
                        selectRow(list, p[1].toInt());
                        fx->whenShown("frmAddModule", [&](QDialog* e) {
                            QCOMPARE(e->findChild<QLineEdit*>("txtModuleName")->text(),
                                     list->topLevelItem(p[1].toInt())->text(0));
                            fillEntry(e, p[2], p[3]);
                        });
                        QTest::mouseClick(d->findChild<QPushButton*>(prefix + "EditModule"), Qt::LeftButton);
                    } else if (p[0] == "remove") {
                        selectRow(list, p[1].toInt());
                        QTest::mouseClick(d->findChild<QPushButton*>("cmdLDRemoveModule"), Qt::LeftButton);
                    } else if (p[0] == "up") {
                        selectRow(list, p[1].toInt());
                        QTest::mouseClick(d->findChild<QPushButton*>("cmdLDUp"), Qt::LeftButton);
                    }
                }
            },
            finish);
        const QStringList after = fx->lines("old");
        QCOMPARE(mainLines(after, "LoadModule"), loadModules);
        QCOMPARE(mainLines(after, "AddModule"), addModules);
        // Nothing else moved or changed.
        QStringList restBefore, restAfter;
        for (const QString& l : before)
            if (!l.startsWith("LoadModule ") && !l.startsWith("AddModule "))
                restBefore << l;
        for (const QString& l : after)
            if (!l.startsWith("LoadModule ") && !l.startsWith("AddModule "))
                restAfter << l;
        QCOMPARE(restAfter, restBefore);
        QVERIFY(after.contains("LoadModule ssl_module libexec/libssl.so"));
        if (!message.isEmpty())
            QCOMPARE(MessageBox::lastText(), message);
    }

    void addModulesTabIsGatedByVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("1.3") << "1.3.26" << true;
        QTest::newRow("2.0") << "2.0.44" << false;
        QTest::newRow("2.2") << "2.2.0" << false;
        QTest::newRow("2.4") << "2.4.1" << false;
    }
    void addModulesTabIsGatedByVersion()
    {
        QFETCH(QString, version);
        QFETCH(bool, enabled);
        fx->setRegistryValue("old", "APACHE_VERSION", version);
        runModules(
            "old",
            [&](QDialog* d) {
                QCOMPARE(d->findChild<QTreeWidget*>("lstAddModule")->isEnabled(), enabled);
                QCOMPARE(d->findChild<QPushButton*>("cmdADAddModule")->isEnabled(), enabled);
                QVERIFY(d->findChild<QTreeWidget*>("lstLoadModule")->isEnabled());
            },
            "cancel");
    }

    void missingModulePrompt_data()
    {
        QTest::addColumn<QList<int>>("answers"); // to the question, in turn
        QTest::addColumn<bool>("addInEditor");   // add expires_module when the editor opens
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("questions");
        QTest::newRow("no") << QList<int>{QMessageBox::No} << false << false << 1;
        QTest::newRow("yes, then added") << QList<int>{QMessageBox::Yes} << true << true << 1;
        QTest::newRow("yes, not added, then no")
            << QList<int>{QMessageBox::Yes, QMessageBox::No} << false << false << 2;
    }
    void missingModulePrompt()
    {
        QFETCH(QList<int>, answers);
        QFETCH(bool, addInEditor);
        QFETCH(bool, result);
        QFETCH(int, questions);
        ConfigFile cf(fx->appDir().toStdString());
        cf.SetFileName(fx->workingCopy("old").toStdString());
        cf.DeSerialize();
        EditorInputs in;
        in.objConfigFile = &cf;
        in.lScopeDirNo = -1;
        in.context.appDir = fx->appDir();
        in.context.currentServerName = "old";
        for (int a : answers)
            MessageBox::setNextAnswer(QMessageBox::StandardButton(a));
        if (answers.first() == QMessageBox::Yes) {
            fx->whenShown("frmModules", [&](QDialog* d) {
                if (addInEditor) {
                    fx->whenShown("frmAddModule", [](QDialog* e) {
                        fillEntry(e, "expires_module", "libexec/mod_expires.so");
                    });
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdLDAddModule"), Qt::LeftButton);
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
                } else {
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
                }
            });
        }
        const int shownBefore = MessageBox::shownCount();
        QCOMPARE(ModulePrompt::EnsureModuleLoaded(nullptr, in, "expires_module"), result);
        QCOMPARE(MessageBox::shownCount() - shownBefore, questions);
        QCOMPARE(MessageBox::lastText(),
                 QString("EXPIRES_MODULE is to be loaded, Do you wish to load it now ?"));
        QCOMPARE(fx->lines("old").contains("LoadModule expires_module libexec/mod_expires.so"), addInEditor);
        // Loaded now: no question at all.
        if (result) {
            MessageBox::resetRecord();
            QVERIFY(ModulePrompt::EnsureModuleLoaded(nullptr, in, "EXPIRES_MODULE "));
            QCOMPARE(MessageBox::shownCount(), 0);
        }
    }

    void entryDialogs_data()
    {
        QTest::addColumn<int>("index");
        const QList<EntrySpec> all = EntrySpecs::all();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(qPrintable(all[i].objectName)) << i;
    }
    void entryDialogs()
    {
        QFETCH(int, index);
        const EntrySpec form = EntrySpecs::all()[index];
        PageContext context;
        EntryDialog dialog(form, context);
        QCOMPARE(dialog.windowTitle(), form.caption);
        for (const EntryField& f : form.fields)
            QVERIFY2(dialog.findChild<QWidget*>(f.objectName), qPrintable(f.objectName));
        // Empty required fields: the dialog's message, stays open, not accepted.
        MessageBox::resetRecord();
        bool anyRequired = false;
        for (const EntryField& f : form.fields)
            anyRequired = anyRequired || f.required;
        QVERIFY(anyRequired);
        dialog.accept();
        QCOMPARE(MessageBox::lastText(), form.message);
        QVERIFY(!dialog.Accepted);
        // Blanks count as a value: the check does not trim.
        for (int i = 0; i < dialog.fieldCount(); ++i) {
            if (auto* c = qobject_cast<QComboBox*>(dialog.field(i)); c && !c->isEditable())
                c->setCurrentIndex(0);
            else
                dialog.setValue(i, " ");
        }
        MessageBox::resetRecord();
        dialog.accept();
        QVERIFY2(dialog.Accepted, qPrintable(MessageBox::lastText()));
        dialog.reject();
        QVERIFY(!dialog.Accepted);
    }

    void errorDocumentNeedsAValueUnlessDefault()
    {
        EntryDialog dialog(EntrySpecs::frmAddErrorDoc(), PageContext{});
        dialog.setValue(0, "404");
        dialog.setValue(1, "URL");
        MessageBox::resetRecord();
        dialog.accept();
        QCOMPARE(MessageBox::lastText(), QString("Please enter the value"));
        dialog.setValue(1, "Default");
        dialog.accept();
        QVERIFY(dialog.Accepted);
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties_1"});
        fx->whenShown("frmModules", [](QDialog* d) {
            QVERIFY(PageFixture::screenshot(d, "frmModules"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdModuleEdit"), Qt::LeftButton);
        sheet->reject();
        EntryDialog entry(EntrySpecs::frmAddModule(), PageContext{});
        entry.show();
        QVERIFY(PageFixture::screenshot(&entry, "frmAddModule"));
    }
};

QTEST_MAIN(DialogsModules)
#include "tst_dialogs_modules.moc"

// The machinery pages and dialogs share: the directive bindings against
// corpus files, Cancel in the state dialogs, gating that a form's own
// enabling cannot undo, the one edit path when a change fails, and the
// missing-module prompt opened from a virtual host.
#include "DirPageActions.h"
#include "PageFixture.h"
#include "TestFiles.h"

#include "dialogs/EntrySpecs.h"
#include "dialogs/ModulePrompt.h"
#include "forms/EditorInputs.h"
#include "forms/EntryDialog.h"
#include "forms/FormBindings.h"
#include "forms/FormSupport.h"
#include "forms/ListEditor.h"
#include "forms/ListViewRows.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/EditSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::test;

namespace {

// Lines with runs of blanks made one, so a test states lines, not alignment.
QStringList normalLines(const QByteArray& bytes)
{
    QStringList out;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromLatin1(line).simplified();
        if (!text.isEmpty())
            out << text;
    }
    return out;
}

const QByteArray kWeb = "ServerRoot \"/etc/httpd\"\n"
                        "Listen 80\n"
                        "LoadModule mime_module modules/mod_mime.so\n"
                        "LockFile logs/accept.lock\n"
                        "<Directory \"/var/www/html\">\n"
                        "    Options Indexes FollowSymLinks\n"
                        "</Directory>\n"
                        "IndexOptions FancyIndexing\n"
                        "<VirtualHost *:80>\n"
                        "    ServerName shop.example.org\n"
                        "</VirtualHost>\n";

} // namespace

class FormsBase : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup()
    {
        MessageBox::clearNextAnswers();
        fx.reset();
    }

    // ---- the bindings against corpus files ----------------------------------

    void bindingsRoundTrip_data()
    {
        QTest::addColumn<QString>("corpus");
        QTest::addColumn<QString>("directive");
        QTest::addColumn<int>("shape"); // -1: a check box, -2: a text box
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>(
            "edit"); // "set:row:column:text", "remove:row", "add:a|b", "check", "text:value"
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        using S = FormBindings::RowShape;
        QTest::newRow("first | rest")
            << "apache13-unix.conf"
            << "LoadModule" << int(S::FirstRest) << 2 << "set:0:1:libexec/my mod.so"
            << QStringList{"LoadModule mmap_static_module libexec/mod_mmap_static.so"}
            << QStringList{"LoadModule mmap_static_module \"libexec/my mod.so\""};
        QTest::newRow("first | rest, row removed")
            << "apache13-win32.conf"
            << "LoadModule" << int(S::FirstRest) << 2 << "remove:1"
            << QStringList{"LoadModule info_module modules/ApacheModuleInfo.dll"} << QStringList{};
        QTest::newRow("second | first | rest")
            << "apache13-unix.conf"
            << "AddLanguage" << int(S::SecondFirstRest) << 3 << "set:1:0:.french"
            << QStringList{"AddLanguage fr .fr"} << QStringList{"AddLanguage fr .french"};
        QTest::newRow("whole text") << "apache13-unix.conf"
                                    << "Alias" << int(S::WholeText) << 1 << "set:0:0:/pics/ \"/srv/my pics/\""
                                    << QStringList{"Alias /icons/ \"/usr/local/apache/icons/\""}
                                    << QStringList{"Alias /pics/ \"/srv/my pics/\""};
        QTest::newRow("one row per parameter") << "apache13-unix.conf"
                                               << "DirectoryIndex" << int(S::ParamPerRow) << 1
                                               << "add:index htm" << QStringList{"DirectoryIndex index.html"}
                                               << QStringList{"DirectoryIndex index.html \"index htm\""};
        QTest::newRow("one row per extra parameter")
            << "apache13-unix.conf"
            << "AddEncoding" << int(S::ExtraParamPerRow) << 2 << "remove:2"
            << QStringList{"AddEncoding x-gzip gz tgz"} << QStringList{"AddEncoding x-gzip gz"};
        QTest::newRow("one row per extra parameter, new key")
            << "apache13-unix.conf"
            << "AddEncoding" << int(S::ExtraParamPerRow) << 2 << "add:x-bzip2|bz2" << QStringList{}
            << QStringList{"AddEncoding x-bzip2 bz2"};
        QTest::newRow("On/Off check box")
            << "apache13-unix.conf"
            << "HostnameLookups" << -1 << 0 << "check" << QStringList{"HostnameLookups Off"}
            << QStringList{"HostnameLookups On"};
        QTest::newRow("text box, directive added")
            << "apache13-win32.conf"
            << "ServerTokens" << -2 << 0 << "text:Prod" << QStringList{} << QStringList{"ServerTokens Prod"};
    }
    void bindingsRoundTrip()
    {
        QFETCH(QString, corpus);
        QFETCH(QString, directive);
        QFETCH(int, shape);
        QFETCH(int, columns);
        QFETCH(QString, edit);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);

        fx->addServer("c", PageFixture::corpus(corpus));
        ConfigFile cf(fx->appDir().toStdString());
        cf.SetFileName(fx->workingCopy("c").toStdString());
        QVERIFY(cf.DeSerialize());
        // The scope of the first such directive (the main server or a section).
        std::int32_t scope = -1;
        for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
            const Directive* d = cf.GetDirective(i);
            if (d && d->GetType() == Directive::TypeSimple &&
                QString::fromStdString(d->GetDirectiveName()).compare(directive, Qt::CaseInsensitive) == 0) {
                if (d->ParentDirective())
                    scope = d->ParentDirective()->DirectiveNo();
                break;
            }
        }

        QWidget form;
        FormBindings bindings;
        QTreeWidget list(&form);
        QCheckBox check(&form);
        QLineEdit text(&form);
        if (shape >= 0) {
            list.setColumnCount(columns);
            bindings.bindList(&list, directive, FormBindings::RowShape(shape));
        } else if (shape == -1) {
            bindings.bindCheck(&check, directive);
        } else {
            bindings.bindDirective(&text, directive);
        }
        bindings.load(cf, scope);
        const QByteArray before = readFile(fx->workingCopy("c"));
        const QByteArray snapshotBefore =
            readFile(fx->appDir() + QStringLiteral("/c/WorkArea/Serialize.srl"));

        // Untouched: nothing to write, not a byte changes.
        QVERIFY(!bindings.isChanged());
        EditOutcome outcome = commitEdit(
            cf, [&](ConfigFile& model, std::string&) { return bindings.save(model, scope, nullptr); });
        QCOMPARE(int(outcome.status), int(EditOutcome::Unchanged));
        QCOMPARE(readFile(fx->workingCopy("c")), before);
        QCOMPARE(readFile(fx->appDir() + QStringLiteral("/c/WorkArea/Serialize.srl")), snapshotBefore);

        // Edited: exactly the expected lines change.
        const QStringList parts = edit.split(':');
        if (parts[0] == "set") {
            QTreeWidgetItem* row = list.topLevelItem(parts[1].toInt());
            QVERIFY(row);
            row->setText(parts[2].toInt(), edit.section(':', 3));
        } else if (parts[0] == "remove") {
            QVERIFY(parts[1].toInt() < list.topLevelItemCount());
            delete list.takeTopLevelItem(parts[1].toInt());
        } else if (parts[0] == "add") {
            new QTreeWidgetItem(&list, edit.section(':', 1).split('|'));
        } else if (parts[0] == "check") {
            QVERIFY(!check.isChecked());
            check.setChecked(true);
        } else {
            text.setText(edit.section(':', 1));
        }
        QVERIFY(bindings.isChanged());
        outcome = commitEdit(
            cf, [&](ConfigFile& model, std::string&) { return bindings.save(model, scope, nullptr); });
        QVERIFY2(outcome.ok(), outcome.message.c_str());
        const QStringList after = normalLines(readFile(fx->workingCopy("c")));
        const QStringList old = normalLines(before);
        QCOMPARE(PageFixture::removedLines(old, after), removed);
        QCOMPARE(PageFixture::addedLines(old, after), added);

        // What was written loads back as shown, and is the loaded state now.
        bindings.saved(cf, scope);
        QVERIFY(!bindings.isChanged());
    }

    // Rows stored second-column-first: the entry dialog's fields go to the
    // columns the list names, both when it is filled and when it is read.
    void listEditorMapsFieldsToColumns()
    {
        fx->addServer("c", PageFixture::corpus("apache13-win32.conf"));
        ConfigFile cf(fx->appDir().toStdString());
        cf.SetFileName(fx->workingCopy("c").toStdString());
        QVERIFY(cf.DeSerialize());
        std::int32_t scope = -1;
        for (int i = 1; i <= cf.GetDirectiveCount() && scope == -1; ++i)
            if (const Directive* d = cf.GetDirective(i);
                d && QString::fromStdString(d->GetDirectiveName()) == "AddHandler" && d->ParentDirective())
                scope = d->ParentDirective()->DirectiveNo();

        QWidget form;
        auto* list = new QTreeWidget(&form);
        list->setColumnCount(3); // extension | handler | further extensions
        auto* edit = new QPushButton(&form);
        auto* add = new QPushButton(&form);
        FormBindings bindings;
        bindings.bindList(list, "AddHandler", FormBindings::RowShape::SecondFirstRest);
        bindings.load(cf, scope);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), QString(".dll"));
        ListEditor::Buttons buttons;
        buttons.add = add;
        buttons.edit = edit;
        PageContext context;
        ListEditor editor(list, EntrySpecs::frmAddHandler(), context, buttons);
        editor.setColumns({1, 0, -1}); // column 0 shows field 1 (extension), column 1 field 0 (handler)

        QString shownHandler;
        fx->whenShown("frmAddHandler", [&](QDialog* d) {
            shownHandler = d->findChild<QLineEdit*>("txtHandlerName")->text();
            d->findChild<QLineEdit*>("txtExtension")->setText(".isa");
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        ListViewRows::selectRow(list, 0);
        edit->click();
        QCOMPARE(shownHandler, QString("isapi-isa"));
        QCOMPARE(list->topLevelItem(0)->text(0), QString(".isa"));
        QCOMPARE(list->topLevelItem(0)->text(1), QString("isapi-isa"));

        fx->whenShown("frmAddHandler", [&](QDialog* d) {
            d->findChild<QLineEdit*>("txtHandlerName")->setText("cgi-script");
            d->findChild<QLineEdit*>("txtExtension")->setText(".cgi");
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        add->click();
        QCOMPARE(list->topLevelItem(1)->text(0), QString(".cgi"));

        const QStringList before = normalLines(readFile(fx->workingCopy("c")));
        const EditOutcome outcome = commitEdit(
            cf, [&](ConfigFile& model, std::string&) { return bindings.save(model, scope, nullptr); });
        QVERIFY(outcome.written());
        const QStringList after = normalLines(readFile(fx->workingCopy("c")));
        QCOMPARE(PageFixture::removedLines(before, after), QStringList{"AddHandler isapi-isa .dll"});
        QCOMPARE(PageFixture::addedLines(before, after),
                 (QStringList{"AddHandler isapi-isa .isa", "AddHandler cgi-script .cgi"}));
    }

    // File fields with their Browse button, option buttons, combos filled
    // when the dialog opens, and the field-changed hook.
    void entryDialogFields_data()
    {
        QTest::addColumn<bool>("local");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("documentUsable");
        QTest::addColumn<bool>("browseUsable");
        QTest::newRow("local, file") << true << "File" << true << true;
        QTest::newRow("local, default message") << true << "Default" << false << false;
        QTest::newRow("remote, file") << false << "File" << true << false;
    }
    void entryDialogFields()
    {
        QFETCH(bool, local);
        QFETCH(QString, type);
        QFETCH(bool, documentUsable);
        QFETCH(bool, browseUsable);
        fx->addServer("web", kWeb, "2.2.22", !local);
        PageContext context;
        context.appDir = fx->appDir();
        context.currentServerName = "web";
        context.isLocalServer = local;
        EntryDialog dialog(EntrySpecs::frmAddErrorDoc(), context);
        bool document = false;
        bool browse = false;
        fx->whenShown("frmAddErrorDoc", [&](QDialog* d) {
            d->findChild<QComboBox*>("CmbType")->setCurrentText(type);
            document = d->findChild<QLineEdit*>("txtDocument")->isEnabled();
            browse = d->findChild<QPushButton*>("cmdBrowseFile")->isEnabled();
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        dialog.exec();
        QCOMPARE(document, documentUsable);
        QCOMPARE(browse, browseUsable);
        QVERIFY(!dialog.Accepted);

        EntrySpec design;
        design.objectName = "frmChoice";
        EntryField options;
        options.objectName = "optKind";
        options.kind = EntryField::Options;
        options.entries = {"Allow", "Deny"};
        EntryField combo;
        combo.objectName = "cmbName";
        combo.kind = EntryField::Combo;
        combo.fill = [] { return QStringList{"alpha", "beta"}; };
        design.fields = {options, combo};
        QStringList changes;
        design.fieldChanged = [&](EntryDialog& d, int field) { changes << d.value(field); };
        EntryDialog choice(design, context);
        choice.setValue(0, "deny");
        choice.setValue(1, "beta");
        QCOMPARE(choice.value(0), QString("Deny"));
        QCOMPARE(choice.value(1), QString("beta"));
        QCOMPARE(changes, (QStringList{"Deny", "beta"}));
    }

    // ---- Cancel in the state dialogs -------------------------------------------

    void cancelRestoresTheDialog_data()
    {
        QTest::addColumn<int>("node"); // 0: the Directory section, -1: main server
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("directory options") << 0 << "ppgDirectorySecurity"
                                           << "cmdEditOptions"
                                           << "frmDirOptions";
        QTest::newRow("index options") << -1 << "ppgDocuments"
                                       << "cmdIndexOptions"
                                       << "frmIndexOptions";
    }
    void cancelRestoresTheDialog()
    {
        QFETCH(int, node);
        QFETCH(QString, page);
        QFETCH(QString, button);
        QFETCH(QString, dialog);
        fx->addServer("web", kWeb);
        const QStringList before = fx->lines("web");
        const int tag = node == 0 ? fx->sectionNo("web", "Directory", "\"/var/www/html\"") : -1;
        PropertySheet* sheet = fx->openSheet("web", tag, {page});
        QStringList shownBefore;
        QStringList shownAfter;
        fx->whenShown(dialog, [&](QDialog* d) {
            for (QTreeWidget* t : d->findChildren<QTreeWidget*>())
                shownBefore << controlState(t);
            // Everything in the lists goes, then Cancel.
            for (QTreeWidget* t : d->findChildren<QTreeWidget*>())
                t->clear();
            if (auto* all = d->findChild<QRadioButton*>("optAll"))
                all->setChecked(true);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(fx->answered(), 1);
        auto* d = sheet->findChild<QDialog*>(dialog);
        QVERIFY(d);
        for (QTreeWidget* t : d->findChildren<QTreeWidget*>())
            shownAfter << controlState(t);
        QCOMPARE(shownAfter, shownBefore);
        QVERIFY(!shownBefore.join(QString()).isEmpty());
        if (auto* all = d->findChild<QRadioButton*>("optAll"))
            QVERIFY(!all->isChecked());
        // The page writes nothing of what was changed before Cancel.
        sheet->apply();
        QCOMPARE(fx->lines("web"), before);
        sheet->reject();
    }

    // ---- gating ---------------------------------------------------------------

    void gatingOutlivesTheFormsOwnEnabling()
    {
        fx->addServer("new", kWeb, "2.4.10");
        QWidget form;
        auto* lock = new QLineEdit(&form);      // LockFile: gone in 2.4
        auto* name = new QLineEdit(&form);      // ServerName: known to 2.4
        auto* browse = new QPushButton(&form);  // follows the LockFile box
        auto* browse2 = new QPushButton(&form); // follows the ServerName box
        FormSupport::setTag(lock, "LockFile");
        FormSupport::setTag(name, "ServerName");
        FormSupport support(&form);
        support.addBrowseButton(browse, lock);
        support.addBrowseButton(browse2, name);
        // The form switches ServerName off before gating runs.
        name->setEnabled(false);
        QVERIFY(support.gate(fx->appDir(), "new"));
        QVERIFY(!lock->isEnabled());
        QVERIFY(support.isGatedOff(lock));
        QVERIFY(!name->isEnabled()); // gating does not undo the form's own choice
        QVERIFY(!browse->isEnabled());
        // The form's own enabling leaves the gated control off.
        support.setUsable(lock, true);
        QVERIFY(!lock->isEnabled());
        support.setUsable(name, true);
        QVERIFY(name->isEnabled());
        QVERIFY(browse2->isEnabled()); // the Browse button follows its box
        name->setEnabled(false);
        QVERIFY(!browse2->isEnabled());
        name->setEnabled(true);
        support.setLocalServer(false);
        QVERIFY(!browse2->isEnabled()); // remote servers never browse
        // Gating again (another version) gives back only what gating took.
        fx->setRegistryValue("new", "APACHE_VERSION", "2.2.22");
        QVERIFY(support.gate(fx->appDir(), "new"));
        QVERIFY(lock->isEnabled());
    }

    void contextFlagsGateVirtualHostControls()
    {
        fx->addServer("web", kWeb);
        PropertySheet* vhost =
            fx->openSheet("web", fx->sectionNo("web", "VirtualHost", "*:80"), {"ppgHomeDirectory"});
        QVERIFY(!vhost->findChild<QLineEdit*>("txtUser")->isEnabled());
        QVERIFY(!vhost->findChild<QLineEdit*>("txtGroup")->isEnabled());
        QVERIFY(vhost->findChild<QLineEdit*>("txtDocumentRoot")->isEnabled());
        vhost->reject();
        PropertySheet* main = fx->openSheet("web", -1, {"ppgHomeDirectory"});
        QVERIFY(main->findChild<QLineEdit*>("txtUser")->isEnabled());
        main->reject();
    }

    void checksumMessageOncePerSheet()
    {
        fx->addServer("web", kWeb);
        QFile catalogue(fx->appDir() + "/Corvane.dll");
        QVERIFY(catalogue.open(QIODevice::Append));
        catalogue.write("<!-- changed -->\n");
        catalogue.close();
        MessageBox::resetRecord();
        PropertySheet* sheet =
            fx->openSheet("web", -1, {"ppgServerSettings", "ppgDocuments", "ppgHomeDirectory"});
        QCOMPARE(MessageBox::shownCount(), 1);
        sheet->reject();
    }

    // ---- one edit path ---------------------------------------------------------

    void failingChangeWritesNothing_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("action");
        QTest::newRow("page") << "ppgServerSettings"
                              << "txtServerAdmin=root@example.org";
        QTest::newRow("modules dialog") << "ppgGlobalProperties_1"
                                        << "modules";
    }
    void failingChangeWritesNothing()
    {
        QFETCH(QString, page);
        QFETCH(QString, action);
        fx->addServer("web", kWeb);
        const QString work = fx->appDir() + "/web/WorkArea";
        const QByteArray conf = readFile(fx->workingCopy("web"));
        const QByteArray snapshot = readFile(work + "/Serialize.srl");
        PropertySheet* sheet = fx->openSheet("web", page == "ppgGlobalProperties_1" ? -2 : -1, {page});
        // The working copy cannot be replaced: a folder stands in its place.
        QVERIFY(QFile::remove(fx->workingCopy("web")));
        QVERIFY(QDir().mkpath(fx->workingCopy("web")));
        const QStringList filesBefore = QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        MessageBox::resetRecord();
        if (action == "modules") {
            fx->whenShown("frmModules", [&](QDialog* d) {
                QTest::mouseClick(d->findChild<QPushButton*>("cmdLDRemoveModule"), Qt::LeftButton);
                QTest::mouseClick(d->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
                QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
            });
            auto* edit = sheet->findChild<QPushButton*>("cmdModuleEdit");
            QTest::mouseClick(edit, Qt::LeftButton);
            QCOMPARE(fx->answered(), 1);
        } else {
            QVERIFY(applyAction(sheet, action));
            sheet->apply();
        }
        QVERIFY(MessageBox::shownCount() >= 1);
        QVERIFY(!MessageBox::lastText().isEmpty());
        QVERIFY(fx->notifications().isEmpty());
        QCOMPARE(readFile(work + "/Serialize.srl"), snapshot);
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
        QVERIFY(QDir(fx->workingCopy("web")).isEmpty());
        Q_UNUSED(conf);
        sheet->reject();
    }

    // ---- the missing-module prompt ------------------------------------------------

    void modulePromptWorksOnTheMainServer()
    {
        fx->addServer("web", kWeb);
        const int vhost = fx->sectionNo("web", "VirtualHost", "*:80");
        ConfigFile cf(fx->appDir().toStdString());
        cf.SetFileName(fx->workingCopy("web").toStdString());
        QVERIFY(cf.DeSerialize());
        EditorInputs in;
        in.objConfigFile = &cf;
        in.lScopeDirNo = vhost; // opened from the virtual host's page
        in.context.appDir = fx->appDir();
        in.context.currentServerName = "web";
        MessageBox::setNextAnswer(QMessageBox::Yes);
        fx->whenShown("frmModules", [&](QDialog* d) {
            fx->whenShown("frmAddModule", [](QDialog* e) {
                e->findChild<QLineEdit*>("txtModuleName")->setText("expires_module");
                e->findChild<QLineEdit*>("txtFilePath")->setText("modules/mod_expires.so");
                QTest::mouseClick(e->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            });
            QTest::mouseClick(d->findChild<QPushButton*>("cmdLDAddModule"), Qt::LeftButton);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QVERIFY(ModulePrompt::EnsureModuleLoaded(nullptr, in, "expires_module"));
        const QStringList lines = fx->lines("web");
        QVERIFY(lines.contains("LoadModule expires_module modules/mod_expires.so"));
        QCOMPARE(PageFixture::enclosingSection(lines, "LoadModule expires_module modules/mod_expires.so"),
                 QString());

        // The caller's own test and question.
        MessageBox::resetRecord();
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(!ModulePrompt::EnsureModuleLoaded(
            nullptr, in, [](const ConfigFile&) { return false; }, "MOD_LOGIO is to be loaded"));
        QCOMPARE(MessageBox::lastText(), QString("MOD_LOGIO is to be loaded"));
    }
};

QTEST_MAIN(FormsBase)
#include "tst_forms_base.moc"

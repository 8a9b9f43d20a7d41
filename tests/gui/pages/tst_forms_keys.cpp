// The keyboard habits every property sheet and dialog shares: the focus on
// the first field when it opens, Tab through the fields ending on OK, Cancel
// and Apply, Enter in a field as OK, and Apply only after a change.
#include "PageFixture.h"

#include "dialogs/EntrySpecs.h"
#include "dialogs/frmEnvironmentVariables.h"
#include "dialogs/frmLanguages.h"
#include "dialogs/frmLogs.h"
#include "dialogs/frmOtherSettings.h"
#include "dialogs/frmPerformance.h"
#include "forms/EntryDialog.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "pages/CorvanePage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kWeb = "ServerRoot \"/etc/httpd\"\n"
                        "PidFile logs/httpd.pid\n"
                        "Listen 80\n"
                        "ServerName www.example.org\n"
                        "ErrorLog logs/error_log\n"
                        "TransferLog logs/access_log\n"
                        "LoadModule mime_module modules/mod_mime.so\n"
                        "LoadModule log_config_module modules/mod_log_config.so\n"
                        "<Directory \"/var/www/html\">\n"
                        "    Order allow,deny\n"
                        "</Directory>\n"
                        "<VirtualHost *:80>\n"
                        "    ServerName shop.example.org\n"
                        "</VirtualHost>\n";

// The named control holding the focus of `root`'s window (an editable combo
// box, not its inner line).
QString focusedName(QWidget* root)
{
    for (QWidget* w = root->window()->focusWidget(); w; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return QString();
}

// Presses Tab `count` times from the focused control and names where each lands.
QStringList tabStops(QWidget* root, int count)
{
    QStringList stops;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(root->window()->focusWidget(), Qt::Key_Tab);
        stops << focusedName(root);
    }
    return stops;
}

using DialogMaker = std::function<CorvaneDialog*(const EditorInputs&, QWidget*)>;

template <typename D> DialogMaker maker()
{
    return [](const EditorInputs& in, QWidget* parent) { return new D(in, parent); };
}

} // namespace

Q_DECLARE_METATYPE(DialogMaker)

class FormsKeys : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    int node(const QString& which) const
    {
        if (which == "server")
            return -2;
        if (which == "main")
            return -1;
        if (which == "vhost")
            return fx->sectionNo("web", "VirtualHost", "*:80");
        return fx->sectionNo("web", "Directory", "\"/var/www/html\"");
    }

    // An editor opened from the first page of a sheet on the main server, shown.
    CorvaneDialog* openEditor(PropertySheet* sheet, const DialogMaker& make)
    {
        auto* page = qobject_cast<CorvanePage*>(sheet->page(0));
        if (!page)
            return nullptr;
        CorvaneDialog* dialog = make(page->editorInputs(), sheet);
        dialog->show();
        return dialog;
    }

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("web", kWeb, "2.2.22");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup()
    {
        MessageBox::clearNextAnswers();
        fx.reset();
    }

    // ---- the focus at open -------------------------------------------------------

    void sheetOpensOnItsFirstField_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::newRow("global properties") << "server"
                                           << "ppgGlobalProperties"
                                           << "txtServerRoot";
        QTest::newRow("global properties, advanced") << "server"
                                                     << "ppgGlobalProperties_1"
                                                     << "txtScoreBoardFile";
        // The server's name is shown read-only: the version is the first field.
        QTest::newRow("connection") << "server"
                                    << "ppgConnections"
                                    << "cmbVersion";
        QTest::newRow("server settings") << "main"
                                         << "ppgServerSettings"
                                         << "txtServerName";
        QTest::newRow("virtual host settings") << "vhost"
                                               << "ppgServerSettings"
                                               << "txtDescription";
        QTest::newRow("documents (a list first)") << "main"
                                                  << "ppgDocuments"
                                                  << "lstvDirectoryIndex";
        QTest::newRow("directory security") << "dir"
                                            << "ppgDirectorySecurity"
                                            << "cmbOrder";
        QTest::newRow("extended properties") << "dir"
                                             << "ppgUnSupportedDirectives"
                                             << "lstvUnSupported";
    }
    void sheetOpensOnItsFirstField()
    {
        QFETCH(QString, node);
        QFETCH(QString, page);
        QFETCH(QString, field);
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {page, "ppgUnSupportedDirectives"});
        QCOMPARE(focusedName(sheet), field);
        sheet->reject();
    }

    void dialogOpensOnItsFirstField_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QString>("field");
        QTest::newRow("performance") << maker<frmPerformance>() << "CmbPerformance";
        QTest::newRow("transfer log") << maker<frmTransferLog>() << "txtTransferLogToFile";
        QTest::newRow("environment variables") << maker<frmEnvironmentVariables>() << "lstvSetCGI";
        QTest::newRow("languages") << maker<frmLanguages>() << "lstvLanguages";
        QTest::newRow("other settings") << maker<frmOtherSettings>() << "txtImapBase";
    }
    void dialogOpensOnItsFirstField()
    {
        QFETCH(DialogMaker, make);
        QFETCH(QString, field);
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings"});
        CorvaneDialog* dialog = openEditor(sheet, make);
        QVERIFY(dialog);
        QCOMPARE(focusedName(dialog), field);
        dialog->reject();
        sheet->reject();
    }

    void entryDialogOpensOnItsFirstField()
    {
        PageContext context;
        context.appDir = fx->appDir();
        EntryDialog dialog(EntrySpecs::frmAddModule(), context);
        dialog.show();
        QCOMPARE(dialog.window()->focusWidget(), dialog.field(0));
    }

    // ---- Tab ---------------------------------------------------------------------

    void tabGoesThroughTheFieldsThenTheButtons()
    {
        PropertySheet* sheet = fx->openSheet("web", -2, {"ppgGlobalProperties_1"});
        QTest::keyClicks(sheet->findChild<QLineEdit*>("txtPidFile"), "2");
        sheet->findChild<QLineEdit*>("txtScoreBoardFile")->setFocus();
        const QStringList expected{"cmdBrowseSBFile",   "txtPidFile",    "cmdBrowsePIDFile", "txtLockFile",
                                   "cmdBrowseLockFile", "cmdModuleEdit", "cmdPerfmSettings", "cmdSheetOk",
                                   "cmdSheetCancel",    "cmdSheetApply"};
        QCOMPARE(tabStops(sheet, int(expected.size())), expected);
        // Shift+Tab walks back.
        QTest::keyClick(sheet->window()->focusWidget(), Qt::Key_Backtab);
        QCOMPARE(focusedName(sheet), QString("cmdSheetCancel"));
        sheet->reject();
    }

    void tabInADialogEndsOnOkCancelApply()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings"});
        CorvaneDialog* dialog = openEditor(sheet, maker<frmTransferLog>());
        QVERIFY(dialog);
        QTest::keyClicks(dialog->findChild<QLineEdit*>("txtTransferLogToFile"), "2");
        // From the last field: the buttons in this order, then round to the fields again.
        const QStringList stops = tabStops(dialog, 6);
        QCOMPARE(stops.mid(0, 3), (QStringList{"cmdOK", "cmdCancel", "cmdApply"}));
        QVERIFY2(stops.mid(3).contains("txtTransferLogToFile"), qPrintable(stops.join(' ')));
        dialog->reject();
        sheet->reject();
    }

    // ---- Enter -------------------------------------------------------------------

    // Enter in a text box, an editable combo box or a check box closes the sheet with OK.
    void enterInAFieldIsOk_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed"); // " " ticks a check box
        QTest::addColumn<QString>("key");   // where the change lands: a line, or a registry key
        QTest::addColumn<QString>("value");
        QTest::newRow("text box") << "ppgGlobalProperties_1"
                                  << "txtPidFile"
                                  << "run/web.pid"
                                  << "PidFile run/web.pid"
                                  << "";
        QTest::newRow("combo box") << "ppgConnections"
                                   << "cmbVersion"
                                   << "2.2.34"
                                   << "APACHE_VERSION"
                                   << "2.2.34";
        QTest::newRow("check box") << "ppgConnections"
                                   << "chkNormalizeLayout"
                                   << " "
                                   << "NORMALIZE_LAYOUT"
                                   << "1";
    }
    void enterInAFieldIsOk()
    {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QFETCH(QString, value);
        PropertySheet* sheet = fx->openSheet("web", -2, {page});
        QPointer<PropertySheet> alive(sheet);
        auto* control = sheet->findChild<QWidget*>(field);
        QVERIFY(control);
        control->setFocus();
        QWidget* focus = sheet->focusWidget(); // an editable combo box's own line
        if (auto* edit = qobject_cast<QLineEdit*>(focus))
            edit->selectAll();
        if (typed == " ")
            QTest::keyClick(focus, Qt::Key_Space);
        else
            QTest::keyClicks(focus, typed);
        QTest::keyClick(focus, Qt::Key_Return);
        QVERIFY(!sheet->isVisible());
        if (value.isEmpty())
            QVERIFY2(fx->lines("web").contains(key), qPrintable(fx->lines("web").join('\n')));
        else
            QCOMPARE(fx->registryValue("web", key), value);
        QTRY_VERIFY(!alive);
    }

    void enterInADialogFieldIsOk()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings"});
        CorvaneDialog* dialog = openEditor(sheet, maker<frmTransferLog>());
        QVERIFY(dialog);
        auto* file = dialog->findChild<QLineEdit*>("txtTransferLogToFile");
        QCOMPARE(dialog->window()->focusWidget(), file);
        file->selectAll();
        QTest::keyClicks(file, "logs/shop_log");
        QTest::keyClick(file, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(dialog->Accepted);
        QVERIFY(!dialog->isVisible());
        QVERIFY(fx->lines("web").contains("TransferLog logs/shop_log"));
        sheet->reject();
    }

    // A field whose Enter adds a row keeps it: the sheet stays open.
    void aFieldThatKeepsEnterDoesNotClose()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgUnSupportedDirectives"});
        auto* value = sheet->findChild<QLineEdit*>("txtValue");
        value->setFocus();
        MessageBox::setNextAnswer(QMessageBox::Ok); // "Please enter the value for the parameter"
        QTest::keyClick(value, Qt::Key_Return);
        QVERIFY(sheet->isVisible());
        QCOMPARE(MessageBox::lastText(), QString("Please enter the value for the parameter"));
        sheet->reject();
    }

    void enterInAnEntryDialogIsOk()
    {
        PageContext context;
        context.appDir = fx->appDir();
        EntryDialog dialog(EntrySpecs::frmAddModule(), context);
        dialog.show();
        for (int i = 0; i < dialog.fieldCount(); ++i)
            dialog.setValue(i, QStringLiteral("x_module"));
        QTest::keyClick(dialog.field(0), Qt::Key_Return);
        QVERIFY(dialog.Accepted);
        QVERIFY(!dialog.isVisible());
    }

    // ---- Apply -------------------------------------------------------------------

    void applyOnlyAfterAChange_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("line"); // in the working copy after Apply
        QTest::newRow("global properties") << "server"
                                           << "ppgGlobalProperties"
                                           << "txtServerRoot"
                                           << "ServerRoot \"/etc/httpd2\"";
        QTest::newRow("global properties, advanced") << "server"
                                                     << "ppgGlobalProperties_1"
                                                     << "txtPidFile"
                                                     << "PidFile logs/httpd.pid2";
        QTest::newRow("server settings") << "main"
                                         << "ppgServerSettings"
                                         << "txtServerName"
                                         << "ServerName www.example.org2";
        QTest::newRow("virtual host") << "vhost"
                                      << "ppgServerSettings"
                                      << "txtServerName"
                                      << "ServerName shop.example.org2";
        QTest::newRow("directory security") << "dir"
                                            << "ppgDirectorySecurity"
                                            << "txtAllow"
                                            << "Allow From 2";
        QTest::newRow("connection") << "server"
                                    << "ppgConnections"
                                    << "txtUsername"
                                    << "";
    }
    void applyOnlyAfterAChange()
    {
        QFETCH(QString, node);
        QFETCH(QString, page);
        QFETCH(QString, field);
        QFETCH(QString, line);
        // Every page of the node's sheet loads without offering Apply.
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {page, "ppgUnSupportedDirectives"});
        auto* apply = sheet->findChild<QPushButton*>("cmdSheetApply");
        QVERIFY(!apply->isEnabled());
        auto* edit = sheet->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        if (!edit->isEnabled()) {
            // The connection page of a local server: nothing to type into.
            QVERIFY(line.isEmpty());
            sheet->reject();
            return;
        }
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, "2");
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(!apply->isEnabled());
        QVERIFY2(fx->lines("web").contains(line), qPrintable(fx->lines("web").join('\n')));
        sheet->reject();
    }

    void dialogApplyOnlyAfterAChange_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("line");
        QTest::newRow("transfer log") << maker<frmTransferLog>() << "txtTransferLogToFile"
                                      << "TransferLog logs/access_log2";
        QTest::newRow("error log") << maker<frmErrorLog>() << "txtErrorLogToFile"
                                   << "ErrorLog logs/error_log2";
    }
    void dialogApplyOnlyAfterAChange()
    {
        QFETCH(DialogMaker, make);
        QFETCH(QString, field);
        QFETCH(QString, line);
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings"});
        CorvaneDialog* dialog = openEditor(sheet, make);
        QVERIFY(dialog);
        auto* apply = dialog->findChild<QPushButton*>("cmdApply");
        QVERIFY(!apply->isEnabled());
        auto* edit = dialog->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->end(false);
        QTest::keyClicks(edit, "2");
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY(!apply->isEnabled());
        QVERIFY(dialog->isVisible());
        QVERIFY2(fx->lines("web").contains(line), qPrintable(fx->lines("web").join('\n')));
        dialog->reject();
        sheet->reject();
    }
};

QTEST_MAIN(FormsKeys)
#include "tst_forms_keys.moc"

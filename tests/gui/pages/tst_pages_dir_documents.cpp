// The documents page: default documents and ignored entries as lists edited
// through the entry dialog, the index listing files, and the index options
// dialog; what Apply writes and where.
#include "DirPageActions.h"
#include "PageFixture.h"

#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf = "ServerRoot \"/etc/httpd\"\n"
                         "Listen 80\n"
                         "DocumentRoot \"/var/www/html\"\n"
                         "DirectoryIndex index.html index.php\n"
                         "IndexIgnore .??* *~ README*\n"
                         "IndexOptions FancyIndexing VersionSort\n"
                         "IndexOrderDefault Descending Date\n"
                         "ReadmeName README.html\n"
                         "HeaderName \"HEADER.html\"\n"
                         "<VirtualHost *:80>\n"
                         "    ServerName shop.example.org\n"
                         "    DirectoryIndex shop.html\n"
                         "</VirtualHost>\n"
                         "<VirtualHost *:81>\n"
                         "    ServerName bare.example.org\n"
                         "</VirtualHost>\n";

} // namespace

class PagesDirDocuments : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    int node(const QString& which)
    {
        if (which == "main")
            return -1;
        return fx->sectionNo("web", "VirtualHost", which == "shop" ? "*:80" : "*:81");
    }
    static QString head(const QString& which)
    {
        if (which == "main")
            return {};
        return which == "shop" ? "<VirtualHost *:80>" : "<VirtualHost *:81>";
    }

    // Runs one step: an action on the page, or "add:<list>:<text>" through
    // the entry dialog (the caption and label it showed are kept).
    bool step(PropertySheet* sheet, const QString& s, QString* caption = nullptr, QString* label = nullptr)
    {
        if (!s.startsWith("add:"))
            return applyAction(sheet, s);
        const QStringList parts = s.split(':');
        fx->whenShown("frmAddDefaultDoc", [=](QDialog* d) {
            if (caption)
                *caption = d->windowTitle();
            if (label)
                for (QLabel* l : d->findChildren<QLabel*>())
                    if (l->buddy() == d->findChild<QLineEdit*>("txtDefaultDoc"))
                        *label = l->text();
            d->findChild<QLineEdit*>("txtDefaultDoc")->setText(parts.mid(2).join(':'));
            d->findChild<QAbstractButton*>("cmdOK")->click();
        });
        sheet->findChild<QAbstractButton*>(parts[1] == "docs" ? "cmdAddDoc" : "cmdAddIndex")->click();
        return true;
    }

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("web", kConf, "2.2.22");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
        FileDialog::clearNextFileNames();
    }
    void cleanup() { fx.reset(); }

    void showsTheFile_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("state");
        QTest::newRow("documents") << "main"
                                   << "lstvDirectoryIndex"
                                   << "index.html|index.php";
        QTest::newRow("ignored") << "main"
                                 << "lstvIndx"
                                 << ".??*|*~|README*";
        QTest::newRow("readme") << "main"
                                << "txtReadmeName"
                                << "README.html";
        QTest::newRow("header unquoted") << "main"
                                         << "txtHeaderName"
                                         << "HEADER.html";
        QTest::newRow("vhost documents only its own") << "shop"
                                                      << "lstvDirectoryIndex"
                                                      << "shop.html";
        QTest::newRow("vhost no readme") << "shop"
                                         << "txtReadmeName"
                                         << "";
        QTest::newRow("bare documents") << "bare"
                                        << "lstvDirectoryIndex"
                                        << "";
    }
    void showsTheFile()
    {
        QFETCH(QString, node);
        QFETCH(QString, control);
        QFETCH(QString, state);
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgDocuments"});
        QWidget* w = sheet->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(controlState(w), state);
        QVERIFY(w->isEnabled());
        sheet->reject();
    }

    void applyWrites_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("nothing edited") << "main" << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("document added last")
            << "main" << QStringList{"add:docs:  default.htm "}
            << QStringList{"DirectoryIndex index.html index.php"}
            << QStringList{"DirectoryIndex index.html index.php default.htm"};
        QTest::newRow("blank entry adds nothing")
            << "main" << QStringList{"add:docs:   "} << QStringList{} << QStringList{};
        QTest::newRow("document moved up")
            << "main" << QStringList{"select:lstvDirectoryIndex=index.php", "click:cmdDocUp"}
            << QStringList{"DirectoryIndex index.html index.php"}
            << QStringList{"DirectoryIndex index.php index.html"};
        QTest::newRow("up at the top does nothing")
            << "main" << QStringList{"select:lstvDirectoryIndex=index.html", "click:cmdDocUp"}
            << QStringList{} << QStringList{};
        QTest::newRow("document moved down")
            << "main" << QStringList{"select:lstvDirectoryIndex=index.html", "click:cmdDocDown"}
            << QStringList{"DirectoryIndex index.html index.php"}
            << QStringList{"DirectoryIndex index.php index.html"};
        QTest::newRow("document removed")
            << "main" << QStringList{"select:lstvDirectoryIndex=index.html", "click:cmdRemoveDefaultDoc"}
            << QStringList{"DirectoryIndex index.html index.php"} << QStringList{"DirectoryIndex index.php"};
        QTest::newRow("empty list removes the directive")
            << "shop" << QStringList{"select:lstvDirectoryIndex=shop.html", "click:cmdRemoveDefaultDoc"}
            << QStringList{"DirectoryIndex shop.html"} << QStringList{};
        QTest::newRow("added in the vhost") << "bare" << QStringList{"add:docs:home.html"} << QStringList{}
                                            << QStringList{"DirectoryIndex home.html"};
        QTest::newRow("ignore entry added")
            << "main" << QStringList{"add:index:*.bak"} << QStringList{"IndexIgnore .??* *~ README*"}
            << QStringList{"IndexIgnore .??* *~ README* *.bak"};
        QTest::newRow("ignore moved and removed")
            << "main"
            << QStringList{"select:lstvIndx=README*", "click:cmdIndexUp", "select:lstvIndx=.??*",
                           "click:cmdRemoveIndex"}
            << QStringList{"IndexIgnore .??* *~ README*"} << QStringList{"IndexIgnore README* *~"};
        QTest::newRow("readme emptied") << "main" << QStringList{"txtReadmeName= "}
                                        << QStringList{"ReadmeName README.html"} << QStringList{};
        QTest::newRow("header with a blank")
            << "main" << QStringList{"txtHeaderName=my header.html"}
            << QStringList{"HeaderName \"HEADER.html\""} << QStringList{"HeaderName \"my header.html\""};
        QTest::newRow("readme added in the vhost") << "bare" << QStringList{"txtReadmeName=FOOTER.txt"}
                                                   << QStringList{} << QStringList{"ReadmeName FOOTER.txt"};
    }
    void applyWrites()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgDocuments"});
        for (const QString& s : steps)
            QVERIFY2(step(sheet, s), qPrintable(s));
        sheet->apply();
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), head(node));
        sheet->reject();
    }

    void entryDialogCaptions_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("label");
        QTest::newRow("documents") << "docs"
                                   << "Add Document"
                                   << "Default Document Name:";
        QTest::newRow("ignored") << "index"
                                 << "Add Index"
                                 << "File Name:";
    }
    void entryDialogCaptions()
    {
        QFETCH(QString, list);
        QFETCH(QString, caption);
        QFETCH(QString, label);
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgDocuments"});
        QString shownCaption, shownLabel;
        QVERIFY(step(sheet, "add:" + list + ":x.html", &shownCaption, &shownLabel));
        QCOMPARE(shownCaption, caption);
        QCOMPARE(shownLabel, label);
        sheet->reject();
    }

    void nameWithABlankRefused()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgDocuments"});
        QVERIFY(step(sheet, "add:docs:my page.html"));
        QCOMPARE(controlState(sheet->findChild<QTreeWidget*>("lstvDirectoryIndex")),
                 QString("index.html|index.php"));
        QVERIFY(MessageBox::lastText().contains("blanks"));
        sheet->reject();
    }

    void indexOptions_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("addOption");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("order changed")
            << "main" << QStringList{"cmbIndexOrderSort=Ascending", "cmbIndexOrderPrimaryKey=Name"} << ""
            << QStringList{"IndexOrderDefault Descending Date"}
            << QStringList{"IndexOrderDefault Ascending Name"};
        QTest::newRow("option added") << "main" << QStringList{} << "FoldersFirst"
                                      << QStringList{"IndexOptions FancyIndexing VersionSort"}
                                      << QStringList{"IndexOptions FancyIndexing VersionSort FoldersFirst"};
        QTest::newRow("option removed")
            << "main" << QStringList{"select:lstvIndexOptions=FancyIndexing", "click:cmdRemove"} << ""
            << QStringList{"IndexOptions FancyIndexing VersionSort"}
            << QStringList{"IndexOptions VersionSort"};
        QTest::newRow("typed option in the vhost")
            << "bare" << QStringList{} << "Charset=UTF-8" << QStringList{}
            << QStringList{"IndexOptions Charset=UTF-8"};
        QTest::newRow("half an order writes nothing")
            << "bare" << QStringList{"cmbIndexOrderSort=Ascending"} << "" << QStringList{} << QStringList{};
        QTest::newRow("order added in the vhost")
            << "bare" << QStringList{"cmbIndexOrderSort=Descending", "cmbIndexOrderPrimaryKey=Size"} << ""
            << QStringList{} << QStringList{"IndexOrderDefault Descending Size"};
    }
    void indexOptions()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, actions);
        QFETCH(QString, addOption);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgDocuments"});
        bool ok = true;
        QString shownOrder;
        fx->whenShown("frmIndexOptions", [&](QDialog* d) {
            shownOrder = controlState(d->findChild<QComboBox*>("cmbIndexOrderSort")) + " " +
                         controlState(d->findChild<QComboBox*>("cmbIndexOrderPrimaryKey"));
            for (const QString& a : actions)
                ok = ok && applyAction(d, a);
            if (!addOption.isEmpty()) {
                fx->whenShown("frmAddIndexOption", [&](QDialog* e) {
                    ok = ok && applyAction(e, "txtOption=" + addOption);
                    e->findChild<QAbstractButton*>("cmdOK")->click();
                });
                d->findChild<QAbstractButton*>("cmdAdd")->click();
            }
            d->findChild<QAbstractButton*>("cmdOK")->click();
        });
        sheet->findChild<QAbstractButton*>("cmdIndexOptions")->click();
        QVERIFY(ok);
        QCOMPARE(shownOrder, node == "main" ? QString("Descending Date") : QString(" "));
        sheet->apply();
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), head(node));
        sheet->reject();
    }

    void browse_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::newRow("local") << false;
        QTest::newRow("remote") << true;
    }
    void browse()
    {
        QFETCH(bool, remote);
        fx->addServer("other", kConf, "2.2.22", remote);
        PropertySheet* sheet = fx->openSheet("other", -1, {"ppgDocuments"});
        auto* header = sheet->findChild<QAbstractButton*>("cmdBrowseHeader");
        QCOMPARE(header->isEnabled(), !remote);
        QCOMPARE(sheet->findChild<QWidget*>("cmdBrowseReadme")->isEnabled(), !remote);
        if (!remote) {
            FileDialog::setNextFileName("/srv/www/HEADER.txt");
            header->click();
            QCOMPARE(sheet->findChild<QLineEdit*>("txtHeaderName")->text(), QString("/srv/www/HEADER.txt"));
            FileDialog::setNextFileName(QString()); // chooser cancelled: the box keeps its text
            sheet->findChild<QAbstractButton*>("cmdBrowseReadme")->click();
            QCOMPARE(sheet->findChild<QLineEdit*>("txtReadmeName")->text(), QString("README.html"));
        }
        sheet->reject();
    }

    void gatedByVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("1.3") << "1.3.42";
        QTest::newRow("2.0") << "2.0.65";
        QTest::newRow("2.2") << "2.2.22";
        QTest::newRow("2.4") << "2.4.71";
    }
    void gatedByVersion()
    {
        QFETCH(QString, version);
        fx->addServer("v", kConf, version);
        PropertySheet* sheet = fx->openSheet("v", -1, {"ppgDocuments"});
        for (const char* name : {"lstvDirectoryIndex", "cmdAddDoc", "lstvIndx", "txtReadmeName",
                                 "txtHeaderName", "cmdIndexOptions"})
            QVERIFY2(sheet->findChild<QWidget*>(name)->isEnabled(), name);
        const QStringList before = fx->lines("v");
        QVERIFY(applyAction(sheet, "select:lstvDirectoryIndex=index.php"));
        sheet->findChild<QAbstractButton*>("cmdRemoveDefaultDoc")->click();
        sheet->apply();
        QCOMPARE(PageFixture::addedLines(before, fx->lines("v")), QStringList{"DirectoryIndex index.html"});
        sheet->reject();
    }

    void cancelWritesNothing()
    {
        QFile f(fx->workingCopy("web"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgDocuments"});
        QVERIFY(step(sheet, "add:docs:x.html"));
        applyAction(sheet, "txtReadmeName=");
        sheet->reject();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(fx->notifications().isEmpty());
    }

    void secondSheetSeesFirstApply()
    {
        PropertySheet* first = fx->openSheet("web", node("shop"), {"ppgDocuments"});
        QVERIFY(step(first, "add:docs:index.htm"));
        first->accept();
        PropertySheet* second = fx->openSheet("web", node("shop"), {"ppgDocuments"});
        QCOMPARE(controlState(second->findChild<QTreeWidget*>("lstvDirectoryIndex")),
                 QString("shop.html|index.htm"));
        second->reject();
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgDocuments"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgDocuments"));
        fx->whenShown("frmIndexOptions", [](QDialog* d) {
            PageFixture::screenshot(d, "frmIndexOptions");
            d->reject();
        });
        sheet->findChild<QAbstractButton*>("cmdIndexOptions")->click();
        QCOMPARE(fx->answered(), 1);
        sheet->reject();
    }
};

QTEST_MAIN(PagesDirDocuments)
#include "tst_pages_dir_documents.moc"

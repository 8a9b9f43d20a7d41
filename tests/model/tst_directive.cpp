// Directive and DirectiveScop: how a line is taken apart and rebuilt.
#include "model/Directive.h"
#include "model/DirectiveScop.h"

#include <QStandardPaths>
#include <QtTest>

using namespace corvane;

namespace {

QString joined(const std::vector<std::string>& params)
{
    QStringList l;
    for (const auto& p : params)
        l << QString::fromStdString(p);
    return l.join(QLatin1Char('|'));
}

} // namespace

class TestDirective : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void parse_data();
    void parse();
    void paramOperations_data();
    void paramOperations();
    void paramsSurviveTextWithoutArguments_data();
    void paramsSurviveTextWithoutArguments();
    void getParamOutOfRange();
    void scopeParse_data();
    void scopeParse();
    void scopeOperations_data();
    void scopeOperations();
    void sectionTextIsScopeText();
};

void TestDirective::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("params");

    QTest::newRow("simple") << QByteArray("Listen 80") << QByteArray("Listen") << 3 << "80";
    QTest::newRow("two blanks") << QByteArray("DirectoryIndex index.html  index.htm") << QByteArray("DirectoryIndex")
                                << 3 << "index.html|index.htm";
    QTest::newRow("comment keeps no params") << QByteArray("#Listen 80") << QByteArray("#Listen") << 1 << "";
    QTest::newRow("section head") << QByteArray("<VirtualHost *:80>") << QByteArray("VirtualHost") << 0 << "*:80>";
    QTest::newRow("section end") << QByteArray("</Directory>") << QByteArray("Directory>") << 0 << "";
    QTest::newRow("one word") << QByteArray("ServerTokens") << QByteArray("ServerTokens") << 3 << "";
    QTest::newRow("leading blank") << QByteArray(" Listen 80") << QByteArray("") << 3 << "Listen|80";
    QTest::newRow("blank") << QByteArray("") << QByteArray("") << 2 << "";
    QTest::newRow("only blanks") << QByteArray("   ") << QByteArray("") << 2 << "";
    QTest::newRow("quoted with blank") << QByteArray("Alias /x \"C:/Program Files/x\"") << QByteArray("Alias") << 3
                                       << "/x|\"C:/Program Files/x\"";
    QTest::newRow("escaped quotes") << QByteArray("Header set X \"a \\\"b\\\" c\"") << QByteArray("Header") << 3
                                    << "set|X|\"a \\\"b\\\" c\"";
    QTest::newRow("quote inside word") << QByteArray("Foo ab\"c d\"e f") << QByteArray("Foo") << 3
                                       << "ab\"c d\"|e|f";
    QTest::newRow("unclosed quote") << QByteArray("Foo \"unclosed rest here") << QByteArray("Foo") << 3
                                    << "\"unclosed rest here";
    QTest::newRow("trailing comment is params") << QByteArray("Require all granted # why") << QByteArray("Require")
                                                << 3 << "all|granted|#|why";
    QTest::newRow("tab is no separator") << QByteArray("Listen\t80 x") << QByteArray("Listen\t80") << 3 << "x";
    QTest::newRow("bytes above 127") << QByteArray("ServerAdmin r\xe9my@\xff.example") << QByteArray("ServerAdmin")
                                     << 3 << QString::fromLatin1("r\xe9my@\xff.example");
    QTest::newRow("head without bracket") << QByteArray("<Directory") << QByteArray("Directory") << 0 << "";
}

void TestDirective::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, name);
    QFETCH(int, type);
    QFETCH(QString, params);

    Directive d(text.toStdString());
    QCOMPARE(QByteArray::fromStdString(d.GetDirectiveName()), name);
    QCOMPARE(d.GetType(), type);
    QStringList l;
    for (const auto& p : d.params())
        l << QString::fromLatin1(p.data(), static_cast<qsizetype>(p.size()));
    QCOMPARE(l.join(QLatin1Char('|')), params);
    QCOMPARE(d.GetParamCount(), params.isEmpty() ? 0 : int(params.count(QLatin1Char('|')) + 1));
    QCOMPARE(QByteArray::fromStdString(d.DirectiveString()), text); // stored unchanged
    QCOMPARE(d.GetCurrentScopeDirective() != nullptr, type == 0);
}

void TestDirective::paramOperations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<int>("count");

    QTest::newRow("rebuild squeezes blanks") << "DirectoryIndex index.html  index.htm" << "rebuild" << "" << 0 << true
                                             << "DirectoryIndex index.html index.htm" << 2;
    QTest::newRow("comment not rebuilt") << "#Listen  80" << "rebuild" << "" << 0 << false << "#Listen  80" << 0;
    QTest::newRow("section not rebuilt") << "<Directory  /x>" << "rebuild" << "" << 0 << false << "<Directory  /x>"
                                         << 1;
    QTest::newRow("set quotes blank") << "Alias /x /y" << "set" << "C:/Program Files/x" << 2 << true
                                      << "Alias /x \"C:/Program Files/x\"" << 2;
    QTest::newRow("set keeps quoted") << "Alias /x /y" << "set" << "\"a b\"" << 2 << true << "Alias /x \"a b\"" << 2;
    QTest::newRow("set trims") << "Listen 80" << "set" << "  81  " << 1 << true << "Listen 81" << 1;
    QTest::newRow("set index 0 still rebuilds") << "Listen   80" << "set" << "81" << 0 << true << "Listen 80" << 1;
    QTest::newRow("set past the end") << "Listen 80" << "set" << "81" << 2 << true << "Listen 80" << 1;
    QTest::newRow("set on comment") << "#Listen 80" << "set" << "81" << 1 << false << "#Listen 80" << 0;
    QTest::newRow("add") << "DirectoryIndex a" << "add" << "b" << 0 << true << "DirectoryIndex a b" << 2;
    QTest::newRow("add quotes blank") << "Alias /x" << "add" << "/a b" << 0 << true << "Alias /x \"/a b\"" << 2;
    QTest::newRow("add empty to one word") << "ServerTokens" << "add" << "" << 0 << true << "ServerTokens" << 1;
    QTest::newRow("delete first") << "DirectoryIndex a b c" << "delete" << "" << 1 << true << "DirectoryIndex b c"
                                  << 2;
    QTest::newRow("delete last") << "DirectoryIndex a b c" << "delete" << "" << 3 << true << "DirectoryIndex a b"
                                 << 2;
    QTest::newRow("delete out of range") << "DirectoryIndex a  b" << "delete" << "" << 5 << true
                                         << "DirectoryIndex a b" << 2;
    QTest::newRow("delete all") << "DirectoryIndex a b c" << "deleteAll" << "" << 0 << true << "DirectoryIndex" << 0;
    QTest::newRow("set list splits again") << "DirectoryIndex x" << "setList" << "  a   b    c " << 0 << true
                                           << "DirectoryIndex a   b    c" << 3;
    QTest::newRow("set list with quotes") << "Alias /x /y" << "setList" << "/z \"/p q\"" << 0 << true
                                          << "Alias /z \"/p q\"" << 2;
    QTest::newRow("set list on comment") << "# note" << "setList" << "a b" << 0 << false << "# note" << 1;
}

void TestDirective::paramOperations()
{
    QFETCH(QString, text);
    QFETCH(QString, op);
    QFETCH(QString, value);
    QFETCH(int, index);
    QFETCH(bool, result);
    QFETCH(QString, newText);
    QFETCH(int, count);

    Directive d(text.toStdString());
    const std::string v = value.toStdString();
    bool r = false;
    if (op == "rebuild")
        r = d.RebuildDirectiveString();
    else if (op == "set")
        r = d.SetParam(v, index);
    else if (op == "add")
        r = d.AddParam(v);
    else if (op == "delete")
        r = d.DeleteParam(index);
    else if (op == "deleteAll")
        r = d.DeleteAllParams();
    else if (op == "setList")
        r = d.SetParamList(v);
    QCOMPARE(r, result);
    QCOMPARE(QString::fromStdString(d.DirectiveString()), newText);
    QCOMPARE(d.GetParamCount(), count);
}

void TestDirective::paramsSurviveTextWithoutArguments_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("params");

    // A text that is a comment, a blank, or has no blank leaves the parameter
    // list as the previous text left it.
    QTest::newRow("comment") << "Listen 80" << "# Listen 81" << "80";
    QTest::newRow("blank") << "DirectoryIndex a b" << "" << "a|b";
    QTest::newRow("one word") << "Listen 80" << "ServerTokens" << "80";
    QTest::newRow("new arguments") << "Listen 80" << "Listen 81 82" << "81|82";
    QTest::newRow("section") << "Listen 80" << "<Directory /x>" << "/x>";
}

void TestDirective::paramsSurviveTextWithoutArguments()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, params);
    Directive d(first.toStdString());
    d.SetDirectiveString(second.toStdString());
    QCOMPARE(joined(d.params()), params);
}

void TestDirective::getParamOutOfRange()
{
    Directive d("Alias  /x   \"/y z\"  ");
    QCOMPARE(d.GetParamCount(), 2);
    QCOMPARE(d.GetParam(0), std::string());
    QCOMPARE(d.GetParam(3), std::string());
    QCOMPARE(d.GetParam(-7), std::string());
    QCOMPARE(d.GetParam(2), std::string("\"/y z\""));
    QCOMPARE(d.GetParamList(), std::string("/x \"/y z\""));
    QCOMPARE(d.GetParamListFrom(2), std::string("\"/y z\""));
    QCOMPARE(d.GetParamListFrom(3), std::string());
}

void TestDirective::scopeParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scopeType");
    QTest::addColumn<int>("subType");
    QTest::addColumn<QString>("params");
    QTest::addColumn<int>("count");

    QTest::newRow("lower-case head") << "<directory /x>" << "directory" << 0 << 0 << "/x" << 1;
    QTest::newRow("directorymatch") << "<DirectoryMatch \"^/www/\">" << "DirectoryMatch" << 1 << 0
                                    << "\"^/www/\"|" << 2;
    QTest::newRow("files") << "<Files .htaccess>" << "Files" << 2 << 0 << ".htaccess" << 1;
    QTest::newRow("filesmatch") << "<FilesMatch \\.php$>" << "FilesMatch" << 3 << 0 << "\\.php$" << 1;
    QTest::newRow("location") << "<Location /status>" << "Location" << 4 << 0 << "/status" << 1;
    QTest::newRow("locationmatch") << "<LocationMatch ^/x>" << "LocationMatch" << 5 << 0 << "^/x" << 1;
    QTest::newRow("vhost end") << "</VirtualHost>" << "VirtualHost" << 6 << 1 << "" << 0;
    QTest::newRow("two addresses") << "<VirtualHost 10.0.0.1:80 10.0.0.2:80>" << "VirtualHost" << 6 << 0
                                   << "10.0.0.1:80|10.0.0.2:80" << 2;
    QTest::newRow("ifdefine") << "<IfDefine !SSL>" << "IfDefine" << 8 << 0 << "!SSL" << 1;
    QTest::newRow("ifmodule") << "<IfModule mod_ssl.c>" << "IfModule" << 9 << 0 << "mod_ssl.c" << 1;
    QTest::newRow("quoted path") << "<Directory \"/var/www/my site\">" << "Directory" << 0 << 0
                                 << "\"/var/www/my site\"|" << 2;
    QTest::newRow("no bracket no blank") << "<Directory" << "#ERROR#" << 7 << 2 << "" << 0;
    QTest::newRow("server") << "<#ENTIRESERVER#>" << "#ENTIRESERVER#" << 7 << 2 << "" << 0;
    QTest::newRow("limit is outside the table") << "<Limit GET POST>" << "Limit" << 7 << 2 << "GET|POST" << 2;
    QTest::newRow("limit end") << "</Limit>" << "Limit" << 7 << 2 << "" << 0;
    QTest::newRow("if expression") << "<If \"%{HTTP_HOST} == 'a'\">" << "If" << 7 << 2
                                   << "\"%{HTTP_HOST} == 'a'\"|" << 2;
    QTest::newRow("empty name") << "<>" << "" << 7 << 2 << "" << 1;
}

void TestDirective::scopeParse()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(int, scopeType);
    QFETCH(int, subType);
    QFETCH(QString, params);
    QFETCH(int, count);

    DirectiveScop s;
    s.SetDirScopeString(text.toStdString());
    QCOMPARE(QString::fromStdString(s.GetDirScopeName()), name);
    QCOMPARE(s.GetType(), scopeType);
    QCOMPARE(s.GetSubType(), subType);
    QCOMPARE(joined(s.params()), params);
    QCOMPARE(s.GetParamCount(), count);

    // A section line knows its kind before and after its section object is built.
    Directive d(text.toStdString());
    QCOMPARE(d.ScopeType(), scopeType);
    QCOMPARE(d.ScopeSubType(), subType);
    QVERIFY(d.GetCurrentScopeDirective());
    QCOMPARE(d.GetCurrentScopeDirective()->GetType(), scopeType);
    QCOMPARE(d.GetCurrentScopeDirective()->GetSubType(), subType);
}

void TestDirective::scopeOperations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<int>("count");

    QTest::newRow("set quotes blank") << "<VirtualHost *:80>" << "set" << "my host" << 1 << true
                                      << "<VirtualHost \"my host\">" << 2;
    QTest::newRow("add does not quote") << "<VirtualHost *:80>" << "add" << "x y" << 0 << true
                                        << "<VirtualHost *:80 x y>" << 3;
    QTest::newRow("set list two addresses") << "<VirtualHost *:80>" << "setList" << " 10.0.0.1:80 10.0.0.2:80 "
                                            << 0 << true << "<VirtualHost 10.0.0.1:80 10.0.0.2:80>" << 2;
    QTest::newRow("name case kept") << "<directory  /x>" << "set" << "/y" << 1 << true << "<directory /y>" << 1;
    QTest::newRow("end rebuilt") << "</Directory>" << "rebuild" << "" << 0 << true << "</Directory>" << 0;
    QTest::newRow("delete first") << "<VirtualHost a b>" << "delete" << "" << 1 << true << "<VirtualHost b>" << 1;
    QTest::newRow("delete all") << "<VirtualHost a b>" << "deleteAll" << "" << 0 << true << "<VirtualHost>" << 0;
    QTest::newRow("server not rebuilt") << "<#ENTIRESERVER#>" << "rebuild" << "" << 0 << false << "<#ENTIRESERVER#>"
                                        << 0;
    QTest::newRow("limit not rebuilt") << "<Limit  GET>" << "setList" << "POST" << 0 << false << "<Limit  GET>" << 1;
    QTest::newRow("quoted path survives") << "<Directory \"/a b\">" << "rebuild" << "" << 0 << true
                                          << "<Directory \"/a b\">" << 2;
}

void TestDirective::scopeOperations()
{
    QFETCH(QString, text);
    QFETCH(QString, op);
    QFETCH(QString, value);
    QFETCH(int, index);
    QFETCH(bool, result);
    QFETCH(QString, newText);
    QFETCH(int, count);

    DirectiveScop s;
    s.SetDirScopeString(text.toStdString());
    const std::string v = value.toStdString();
    bool r = false;
    if (op == "rebuild")
        r = s.RebuildDirScopeString();
    else if (op == "set")
        r = s.SetParam(v, index);
    else if (op == "add")
        r = s.AddParam(v);
    else if (op == "delete")
        r = s.DeleteParam(index);
    else if (op == "deleteAll")
        r = s.DeleteAllParams();
    else if (op == "setList")
        r = s.SetParamList(v);
    QCOMPARE(r, result);
    QCOMPARE(QString::fromStdString(s.DirScopeString()), newText);
    QCOMPARE(s.GetParamCount(), count);
}

void TestDirective::sectionTextIsScopeText()
{
    // Edits through the section object show in SectionText, not in the line's own text.
    Directive d("<VirtualHost *:80>");
    QCOMPARE(d.SectionText(), std::string("<VirtualHost *:80>"));
    QVERIFY(d.GetCurrentScopeDirective()->SetParamList("*:8080"));
    QCOMPARE(d.SectionText(), std::string("<VirtualHost *:8080>"));
    QCOMPARE(d.DirectiveString(), std::string("<VirtualHost *:80>"));
    // A new text gives a new section object.
    d.SetDirectiveString("</VirtualHost>");
    QCOMPARE(d.GetCurrentScopeDirective()->GetSubType(), 1);
    QCOMPARE(d.SectionText(), std::string("</VirtualHost>"));
}

QTEST_GUILESS_MAIN(TestDirective)
#include "tst_directive.moc"

#include "pages/ppgGlobalProperties.h"

#include "dialogs/frmMIMEConfig.h"
#include "dialogs/frmPortConfiguration.h"
#include "forms/FormSupport.h"
#include "forms/InputRules.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "forms/UpDown.h"
#include "host/MessageBox.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/ModelProcedures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace corvane {

ppgGlobalProperties::ppgGlobalProperties(QWidget* parent)
    : CorvanePage(QStringLiteral("Global Properties (Basic)"), 100, ServerNode, parent)
{
    setObjectName(QStringLiteral("ppgGlobalProperties"));
    auto* layout = new QVBoxLayout(this);
    auto* general = new QGroupBox(QStringLiteral("General"), this);
    auto* grid = new QGridLayout(general);
    auto label = [&](int r, const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, general);
        l->setBuddy(buddy);
        grid->addWidget(l, r, 0);
    };

    m_txtServerRoot = PageWidgets::lineEdit(general, "txtServerRoot");
    bindDirective(m_txtServerRoot, QStringLiteral("ServerRoot"), ReadAs::Unquoted, WriteAs::QuotedPath);
    FormSupport::setHelpContext(m_txtServerRoot, 100);
    label(0, QStringLiteral("Server Root :"), m_txtServerRoot);
    grid->addWidget(m_txtServerRoot, 0, 1, 1, 2);

    m_cmbServerType = new QComboBox(general);
    m_cmbServerType->setObjectName(QStringLiteral("cmbServerType"));
    m_cmbServerType->addItems({QStringLiteral("standalone"), QStringLiteral("inetd")});
    bindDirective(m_cmbServerType, QStringLiteral("ServerType"), ReadAs::ParamList);
    label(1, QStringLiteral("Server Type :"), m_cmbServerType);
    grid->addWidget(m_cmbServerType, 1, 1, 1, 2);

    m_txtCoreDumpDir = PageWidgets::lineEdit(general, "txtCoreDumpDir");
    bindDirective(m_txtCoreDumpDir, QStringLiteral("CoreDumpDirectory"), ReadAs::Unquoted,
                  WriteAs::QuotedPath);
    label(2, QStringLiteral("Core Dump Directory :"), m_txtCoreDumpDir);
    grid->addWidget(m_txtCoreDumpDir, 2, 1, 1, 2);

    m_txtTimeOut = PageWidgets::lineEdit(general, "txtTimeOut");
    setTag(m_txtTimeOut, QStringLiteral("Timeout"));
    m_txtTimeOut->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_txtTimeOut));
    m_udTimeOut = new UpDown(general);
    m_udTimeOut->setObjectName(QStringLiteral("udTimeOut"));
    setTag(m_udTimeOut, QStringLiteral("Timeout"));
    m_udTimeOut->setRange(0, 65535);
    label(3, QStringLiteral("Time Out :"), m_txtTimeOut);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(m_txtTimeOut, 1);
    timeRow->addWidget(m_udTimeOut);
    grid->addLayout(timeRow, 3, 1, 1, 2);
    connect(m_udTimeOut, &UpDown::valueChanged, this, [this](int v) {
        m_txtTimeOut->setText(QString::number(v));
        setChanged();
    });
    connect(m_txtTimeOut, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_udTimeOut->setValue(t.toInt());
        setChanged();
    });

    m_cmdPortConfig = PageWidgets::button(general, "cmdPortConfig", "Port Configuration");
    setTag(m_cmdPortConfig, QStringLiteral("Listen"));
    label(4, QStringLiteral("Listen :"), m_cmdPortConfig);
    grid->addWidget(m_cmdPortConfig, 4, 1);
    layout->addWidget(general);

    auto* mime = new QGroupBox(QStringLiteral("MIME Map"), this);
    auto* mimeLayout = new QHBoxLayout(mime);
    auto* mimeLabel =
        new QLabel(QStringLiteral("Configure the MIME types for all the web sites on this computer :"), mime);
    mimeLabel->setWordWrap(true);
    mimeLayout->addWidget(mimeLabel, 1);
    auto* command4 = PageWidgets::button(mime, "Command4", "Edit...");
    connect(command4, &QPushButton::clicked, this, [this] { openEditor<frmMIMEConfig>(); });
    mimeLayout->addWidget(command4);
    layout->addWidget(mime);
    layout->addStretch(1);

    m_ports = new frmPortConfiguration(this);
    connect(m_cmdPortConfig, &QPushButton::clicked, this, [this] {
        m_ports->setContext(context());
        const QStringList before = m_ports->ports();
        m_ports->exec();
        if (m_ports->ports() != before)
            setChanged();
    });
}

void ppgGlobalProperties::ResetControls()
{
    m_txtTimeOut->clear();
    m_udTimeOut->setValue(0);
    m_ports->setPorts({});
    m_loadedPorts.clear();
    m_fullListen.clear();
    m_timeoutOriginal.clear();
}

void ppgGlobalProperties::LoadControls()
{
    // A main server without ServerType never gets one from this page.
    if (foundDirectiveNo(QStringLiteral("ServerType")) == 0)
        m_cmbServerType->setEnabled(false);

    std::int32_t found = 0;
    const QString timeout =
        readDirective(QStringLiteral("Timeout"), ReadAs::ParamList, &found, &m_timeoutOriginal);
    m_txtTimeOut->setText(timeout);
    m_timeoutShown = timeout;
    m_udTimeOut->setValue(timeout.toInt());

    QStringList ports;
    for (const Directive* d : model()->GetAllMatchingSubDirectives("Listen", -1)) {
        const QString first = TextCodec::toQ(d->GetParam(1));
        if (first.isEmpty())
            continue;
        ports << first;
        if (!m_fullListen.contains(first))
            m_fullListen.insert(first, TextCodec::toQ(Trim(d->GetParamList())));
    }
    m_ports->setContext(context());
    m_ports->setPorts(ports);
    m_loadedPorts = ports;
}

bool ppgGlobalProperties::SaveDirectivesFromGUI()
{
    CorvanePage::SaveDirectivesFromGUI();

    if (isWritable(m_txtTimeOut) && m_txtTimeOut->text() != m_timeoutShown) {
        const QString text = m_txtTimeOut->text().trimmed();
        const QString problem =
            text.isEmpty() ? QString() : InputRules::checkSeconds(text, QStringLiteral("Time Out"));
        if (problem.isEmpty()) {
            updateDirective(QStringLiteral("Timeout"), text, WriteAs::Text, m_timeoutOriginal);
            m_timeoutShown = m_txtTimeOut->text();
        } else
            MessageBox::information(this, problem);
    }

    if (isWritable(m_cmdPortConfig)) {
        const QStringList ports = m_ports->ports();
        // An untouched list keeps its lines (and their protocol arguments) in place.
        if (ports != m_loadedPorts) {
            ListRows rows;
            for (const QString& p : ports) {
                if (p.trimmed().isEmpty() || p == QLatin1String("New Port"))
                    continue;
                rows.push_back({TextCodec::fromQ(m_fullListen.value(p, p))});
            }
            if (model()->DeleteAllMatchingSubDirectives("Listen", -1))
                model()->SaveDirectivesFromListView(&rows, "Listen", -1);
            m_loadedPorts = ports;
        }
    }
    return true;
}

} // namespace corvane

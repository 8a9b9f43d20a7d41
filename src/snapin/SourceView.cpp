#include "snapin/SourceView.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace corvane::snapin {

namespace {

QString decoded(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArray::fromStdString(bytes));
    return utf8.hasError() ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size())) : text;
}

QString withoutLineEnd(QString line)
{
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

} // namespace

SourceView::SourceView(const QString& title, const std::vector<ConfigFile::SourceLine>& lines,
                       QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSource"));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    QString file = lines.empty() ? QString() : QString::fromStdString(lines.front().file);
    auto* caption = new QLabel(file.isEmpty() ? QStringLiteral("httpd.conf") : file, this);
    caption->setObjectName(QStringLiteral("lblSourceFile"));
    layout->addWidget(caption);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtSource"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList rows;
    QByteArray bytes;
    const int width = lines.empty() ? 1 : int(QString::number(lines.back().line).size());
    for (const ConfigFile::SourceLine& l : lines) {
        rows << QStringLiteral("%1  %2").arg(l.line, width).arg(withoutLineEnd(decoded(l.bytes)));
        bytes += QByteArray::fromStdString(l.bytes);
    }
    m_text->setPlainText(rows.join(QLatin1Char('\n')));
    setProperty("sourceBytes", bytes);
    layout->addWidget(m_text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(720, 480);
}

QString SourceView::shownText() const
{
    return m_text->toPlainText();
}

} // namespace corvane::snapin

#include "snapin/SourceView.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
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

const QColor kAddedColour(0xd8, 0xf5, 0xd0);
const QColor kChangedColour(0xfc, 0xef, 0xc0);
const QColor kCurrentColour(0xc6, 0xdb, 0xf7);

} // namespace

SourceView::SourceView(const QString& title, const std::vector<ConfigFile::SourceLine>& lines,
                       QWidget* parent, const QByteArray& marks)
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
    const bool marked = !marks.isEmpty();
    QStringList rows;
    QByteArray bytes;
    QList<int> markedLines;
    const int width = lines.empty() ? 1 : int(QString::number(lines.back().line).size());
    for (const ConfigFile::SourceLine& l : lines) {
        const char mark = l.line >= 1 && l.line <= marks.size() ? marks[l.line - 1] : ' ';
        const QString row = QStringLiteral("%1  %2").arg(l.line, width).arg(withoutLineEnd(decoded(l.bytes)));
        rows << (marked ? QString(QLatin1Char(mark)) + QLatin1Char(' ') + row : row);
        bytes += QByteArray::fromStdString(l.bytes);
        m_lineNumbers << l.line;
        m_rowMarks += mark;
        if (mark == kAdded || mark == kChanged)
            markedLines << l.line;
    }
    m_text->setPlainText(rows.join(QLatin1Char('\n')));
    setProperty("sourceBytes", bytes);
    setProperty("markedLines", QVariant::fromValue(markedLines));
    layout->addWidget(m_text, 1);
    if (marked) {
        auto* legend = new QLabel(
            QStringLiteral("+ added, ~ changed since the file was last fetched (or last sent)"), this);
        legend->setObjectName(QStringLiteral("lblSourceLegend"));
        legend->setToolTip(QStringLiteral("Lines marked + are new in the working copy, lines marked ~ "
                                          "replace lines the server's copy has."));
        layout->addWidget(legend);
        m_text->setToolTip(legend->toolTip());
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(720, 480);
    updateHighlights();
}

QString SourceView::shownText() const
{
    return m_text->toPlainText();
}

bool SourceView::showLine(int fileLine)
{
    const int row = int(m_lineNumbers.indexOf(fileLine));
    if (row < 0)
        return false;
    m_currentRow = row;
    setProperty("currentLine", fileLine);
    QTextCursor cursor(m_text->document()->findBlockByNumber(row));
    m_text->setTextCursor(cursor);
    m_text->centerCursor();
    updateHighlights();
    return true;
}

void SourceView::updateHighlights()
{
    QList<QTextEdit::ExtraSelection> selections;
    auto add = [&](int row, const QColor& colour) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(m_text->document()->findBlockByNumber(row));
        s.format.setBackground(colour);
        s.format.setProperty(QTextFormat::FullWidthSelection, true);
        selections << s;
    };
    for (int row = 0; row < m_rowMarks.size(); ++row) {
        if (row == m_currentRow)
            continue;
        if (m_rowMarks[row] == kAdded)
            add(row, kAddedColour);
        else if (m_rowMarks[row] == kChanged)
            add(row, kChangedColour);
    }
    if (m_currentRow >= 0)
        add(m_currentRow, kCurrentColour);
    m_text->setExtraSelections(selections);
}

} // namespace corvane::snapin

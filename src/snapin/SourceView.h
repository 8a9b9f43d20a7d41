#pragma once
// A read-only view of a node's lines exactly as they stand in the file: the
// file's name and each line's number beside it. Lines are shown as UTF-8
// when they are valid UTF-8, otherwise as Latin-1; the bytes themselves are
// kept as the "sourceBytes" property.
//
// With the file's marks against its copy as last fetched (one byte per line
// of the file: ' ' kept, '+' added, '~' changed), every row gets that mark in
// a gutter before its number and added and changed rows a background of
// their own; the numbers of the marked lines are the "markedLines" property.
#include "model/ConfigFile.h"

#include <QByteArray>
#include <QDialog>
#include <QList>

class QPlainTextEdit;

namespace corvane::snapin {

class SourceView : public QDialog
{
    Q_OBJECT
public:
    SourceView(const QString& title, const std::vector<ConfigFile::SourceLine>& lines, QWidget* parent,
               const QByteArray& marks = {});
    // The text shown: "file:line" then the line, one per row.
    QString shownText() const;
    // Scrolls to a line of the file (by its number) and highlights it; false
    // when the view does not show it.
    bool showLine(int fileLine);

    static constexpr char kAdded = '+';
    static constexpr char kChanged = '~';

private:
    void updateHighlights();

    QPlainTextEdit* m_text;
    QList<int> m_lineNumbers; // the file's line number of each row
    QByteArray m_rowMarks;    // the mark of each row
    int m_currentRow = -1;
};

} // namespace corvane::snapin

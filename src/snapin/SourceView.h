#pragma once
// A read-only view of a node's lines exactly as they stand in the file: the
// file's name and each line's number beside it. Lines are shown as UTF-8
// when they are valid UTF-8, otherwise as Latin-1; the bytes themselves are
// kept as the "sourceBytes" property.
#include "model/ConfigFile.h"

#include <QDialog>

class QPlainTextEdit;

namespace corvane::snapin {

class SourceView : public QDialog
{
    Q_OBJECT
public:
    SourceView(const QString& title, const std::vector<ConfigFile::SourceLine>& lines, QWidget* parent);
    // The text shown: "file:line" then the line, one per row.
    QString shownText() const;

private:
    QPlainTextEdit* m_text;
};

} // namespace corvane::snapin

#pragma once
// Default documents (DirectoryIndex), ignored index entries (IndexIgnore),
// the index listing's readme and header files, and through the index
// options dialog IndexOptions and IndexOrderDefault.
#include "forms/KeptValues.h"
#include "pages/CorvanePage.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace corvane {

class frmIndexOptions;

class ppgDocuments : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgDocuments(QWidget* parent = nullptr);

    frmIndexOptions* indexOptionsDialog() const { return m_indexOptions; }

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;

private:
    void addEntry(QTreeWidget* list, const QString& caption, const QString& label);
    void browse(QLineEdit* box);
    QStringList paramsOf(const QString& directive) const;
    void writeValue(const QString& directive, const QString& value, bool writable);

    QTreeWidget* m_lstvDirectoryIndex;
    QTreeWidget* m_lstvIndx;
    QLineEdit* m_txtReadmeName;
    QLineEdit* m_txtHeaderName;
    QPushButton* m_cmdIndexOptions;
    frmIndexOptions* m_indexOptions;
    KeptValues m_kept;
};

} // namespace corvane

#pragma once
// What the server returns instead of its built-in message for an HTTP error
// status (ErrorDocument): a default message, a local document or an
// external URL, one row per status, added and changed through
// frmAddErrorDoc.
#include "pages/CorvanePage.h"

class QTreeWidget;

namespace corvane {

class ListEditor;

class ppgCustomErrors : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgCustomErrors(QWidget* parent = nullptr);

    // "URL" when the document names an address, "Default" when it is the
    // code's own description, otherwise "File".
    static QString documentType(const QString& code, const QString& document);

    QTreeWidget* lstvError() const { return m_lstvError; }

protected:
    void LoadControls() override;

private:
    QTreeWidget* m_lstvError;
    ListEditor* m_editor;
};

} // namespace corvane

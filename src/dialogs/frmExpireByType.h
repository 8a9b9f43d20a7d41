#pragma once
// The expiry rules by MIME type (ExpiresByType) of the headers page. A
// state-only dialog owned by its page: it never touches the model; Cancel
// puts back the rows it showed when opened.
#include "forms/FormDialog.h"

#include <QStringList>

class QTreeWidget;

namespace corvane {

class ListEditor;

class frmExpireByType : public FormDialog
{
    Q_OBJECT
public:
    explicit frmExpireByType(QWidget* parent = nullptr);

    QTreeWidget* lstvExpiresByType() const { return m_list; }
    // The MIME types frmExpirationTime offers.
    void setMimeTypes(const QStringList& types) { m_types = types; }

protected:
    void contextChanged() override;

private:
    QTreeWidget* m_list;
    ListEditor* m_editor = nullptr;
    QStringList m_types;
};

} // namespace corvane

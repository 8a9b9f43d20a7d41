#pragma once
// How file extensions map to content types, handlers, filters and
// encodings in a scope (AddType, AddHandler, AddInputFilter,
// AddOutputFilter, AddEncoding), with TypesConfig, ModMimeUsePathInfo and
// MultiviewsMatch. Opened with the opener's model and scope from the global
// page, the headers page and the MIME map page.
#include "dialogs/CorvaneDialog.h"
#include "forms/EntrySpec.h"

class QAbstractButton;
class QListWidget;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace corvane {

class ListEditor;

class frmMIMEConfig : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmMIMEConfig(const EditorInputs& inputs, QWidget* parent = nullptr);

    QTreeWidget* lstMimeTypes() const { return m_types; }
    QListWidget* lstMultiViewsMatch() const { return m_multiViews; }

protected:
    void FormLoad() override;
    bool SaveDirectivesFromGUI() override;

private:
    QWidget* listTab(const QString& title, const QString& frameTitle, QTreeWidget* list,
                     const QStringList& buttonNames, QList<QAbstractButton*>* buttons);
    QTreeWidget* makeList(const char* name, const QString& second, const QString& tag);
    ListEditor* makeEditor(QTreeWidget* list, const EntrySpec& entry, const QList<int>& columns,
                           const QString& adding, const QString& editing,
                           const QList<QAbstractButton*>& buttons);
    QString multiViews() const;
    void showFilters();

    QTabWidget* m_tabs;
    QTreeWidget* m_types;
    QTreeWidget* m_handlers;
    QTreeWidget* m_inputFilters;
    QTreeWidget* m_outputFilters;
    QTreeWidget* m_encodings;
    QListWidget* m_multiViews;
    QRadioButton* m_optIpFilter;
    QRadioButton* m_optOpFilters;
    ListEditor* m_inputEditor = nullptr;
    ListEditor* m_outputEditor = nullptr;
    QString m_loadedMultiViews;
};

} // namespace corvane

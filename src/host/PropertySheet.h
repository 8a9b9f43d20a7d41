#pragma once
// The modal property sheet: one tab per page in the order the pages were
// added, buttons OK / Cancel / Apply (objectNames cmdSheetOk, cmdSheetCancel,
// cmdSheetApply; tab widget tabPages; the dialog propertySheet). OK and Apply
// raise PropertyPage_ApplyChanges on every page in order; Apply is enabled
// while a page holds a change, and off again once the changes are applied.
// The sheet opens with the focus on the first field of its first page, Tab
// goes through the page's fields and ends on OK, Cancel, Apply, and Enter in
// a field is OK (DialogKeys). The sheet is shown window-modal without a
// nested event loop (open()), and deletes itself when closed.
#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

#include "host/PageContext.h"
#include "host/SelectedItem.h"

class QAbstractButton;
class QPushButton;
class QTabWidget;

namespace corvane {

class PageFactory;
class PropertyPage;

class PropertySheet : public QDialog
{
    Q_OBJECT
public:
    PropertySheet(const SelectedItem& item, const PageFactory* factory, QWidget* parent = nullptr);
    ~PropertySheet() override;

    // Adds a registered page by class name with an optional caption (tab
    // text); false, and no page, when the class name is not registered.
    bool addPage(const QString& className, const QString& caption = {});
    // Adds a page object (the sheet takes ownership).
    void addPage(PropertyPage* page, const QString& caption = {});

    int pageCount() const { return int(m_pages.size()); }
    PropertyPage* page(int index) const;
    // Class names of the pages in order ("" for pages added as objects).
    QStringList pageClassNames() const { return m_classNames; }
    QStringList tabCaptions() const;

    const SelectedItem& selectedControl() const { return m_item; }
    PageContext& context() { return m_context; }

    // Runs Initialize and SelectionChanged on every page; the host calls it
    // once the snap-in has added the pages, before showing the sheet.
    void start();
    // Applies every page in order (the Apply button).
    void apply();

    // Where a page's PropertyChanged goes (set by the host).
    std::function<void(const SelectedItem&, const QString&)> onPropertyChanged;
    // Where a page's help request goes (set by the host).
    std::function<void(int)> onHelpContext;

public slots:
    void accept() override; // OK
    void reject() override; // Cancel, Escape, close box

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void pageChanged();
    QList<QAbstractButton*> buttons() const;
    void finish(bool applied);

    SelectedItem m_item;
    const PageFactory* m_factory;
    PageContext m_context;
    QList<PropertyPage*> m_pages;
    QStringList m_classNames;
    QStringList m_captions;
    QTabWidget* m_tabs;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace corvane

#pragma once
// Base of every property page shown in a PropertySheet. The sheet raises the
// page events below, all on the main thread, one at a time:
//   creation (in addPage order) -> PropertyPage_Initialize -> IMMCPropertyPage_Initialize
//   -> PropertyPage_SelectionChanged -> [Apply: PropertyPage_ApplyChanges]*
//   -> OK: PropertyPage_ApplyChanges, IMMCPropertyPage_Close
//    | Cancel: IMMCPropertyPage_QueryCancel (any page may veto), IMMCPropertyPage_Cancel,
//    IMMCPropertyPage_Close
//   -> PropertyPage_Terminate -> deletion.
// A page reaches its data only through the files named by selectedControl()
// and the sheet's PageContext. F1 shows the help context number of the focused
// control (dynamic property "helpContextId", searched up the parent chain),
// else raises IMMCPropertyPage_Help.
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "host/PageContext.h"
#include "host/SelectedItem.h"

namespace corvane {

class PropertySheet;

class PropertyPage : public QWidget
{
    Q_OBJECT
public:
    explicit PropertyPage(QWidget* parent = nullptr);
    ~PropertyPage() override;

    // The page's own caption; used as tab text unless the sheet was given one.
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

    // Page life cycle (defaults do nothing).
    virtual void PropertyPage_Initialize() {}
    virtual void PropertyPage_SelectionChanged() {}
    virtual void PropertyPage_ApplyChanges() {}
    virtual void PropertyPage_Terminate() {}

    // Console page events (defaults accept the console's behaviour).
    virtual void IMMCPropertyPage_Initialize(const QVariant& data) { Q_UNUSED(data); }
    virtual void IMMCPropertyPage_Help() {}
    virtual bool IMMCPropertyPage_QueryCancel() { return true; } // false vetoes Cancel
    virtual void IMMCPropertyPage_Cancel() {}
    virtual void IMMCPropertyPage_Close() {}

    // "SelectedControls(0)": the item the sheet was opened for.
    SelectedItem selectedControl() const;
    QList<SelectedItem> selectedControls() const;

    PropertySheet* sheet() const { return m_sheet; }
    // The sheet's shared context (an empty one while the page is not on a sheet).
    PageContext& context();

    // Sends a change notification for the sheet's item to the snap-in
    // (ScopeItems_PropertyChanged or ResultViews_PropertyChanged).
    void propertyChanged(const QString& data);
    // Opens the help viewer at a page help context number.
    void showHelpContext(int contextId);

    // Marks the page modified (the sheet enables Apply) or unmodified.
    void setChanged(bool changed = true);
    bool isChanged() const { return m_changed; }
    // During PropertyPage_ApplyChanges: whether the page held a change when
    // Apply was pressed (the sheet clears isChanged() before it applies).
    bool changedAtApply() const { return m_changedAtApply; }

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class PropertySheet;
    PropertySheet* m_sheet = nullptr;
    QString m_caption;
    bool m_changed = false;
    bool m_changedAtApply = false;
    PageContext m_detachedContext;
};

} // namespace corvane

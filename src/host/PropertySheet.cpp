#include "host/PropertySheet.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "host/DialogKeys.h"
#include "host/PageFactory.h"
#include "host/PropertyPage.h"

namespace corvane {

namespace {
// Page handlers never take the sheet down with them.
template <typename F> void guarded(F&& f)
{
    try {
        f();
    } catch (...) {
    }
}
} // namespace

PropertySheet::PropertySheet(const SelectedItem& item, const PageFactory* factory, QWidget* parent)
    : QDialog(parent), m_item(item), m_factory(factory)
{
    setObjectName(QStringLiteral("propertySheet"));
    setWindowTitle(item.displayName.isEmpty() ? tr("Properties") : tr("%1 Properties").arg(item.displayName));
    setModal(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabPages"));
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_ok->setObjectName(QStringLiteral("cmdSheetOk"));
    m_cancel->setObjectName(QStringLiteral("cmdSheetCancel"));
    m_apply->setObjectName(QStringLiteral("cmdSheetApply"));
    m_apply->setEnabled(false);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
    connect(m_apply, &QPushButton::clicked, this, &PropertySheet::apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

PropertySheet::~PropertySheet()
{
    // Closed without OK or Cancel (the console went away): still end every page.
    if (m_started && !m_finished)
        for (PropertyPage* page : m_pages)
            guarded([&] { page->PropertyPage_Terminate(); });
}

bool PropertySheet::addPage(const QString& className, const QString& caption)
{
    PropertyPage* page = m_factory ? m_factory->create(className) : nullptr;
    if (!page)
        return false;
    addPage(page, caption);
    m_classNames.last() = className;
    return true;
}

void PropertySheet::addPage(PropertyPage* page, const QString& caption)
{
    if (!page || m_pages.contains(page))
        return;
    page->m_sheet = this;
    m_pages.append(page);
    m_classNames.append(QString());
    m_captions.append(caption);
    m_tabs->addTab(page, caption.isEmpty() ? page->caption() : caption);
    connect(page, &PropertyPage::changed, this, &PropertySheet::pageChanged);
    if (m_started) {
        guarded([&] { page->PropertyPage_Initialize(); });
        guarded([&] { page->IMMCPropertyPage_Initialize(QVariant()); });
        guarded([&] { page->PropertyPage_SelectionChanged(); });
    }
}

PropertyPage* PropertySheet::page(int index) const
{
    return index >= 0 && index < m_pages.size() ? m_pages[index] : nullptr;
}

QStringList PropertySheet::tabCaptions() const
{
    QStringList captions;
    for (int i = 0; i < m_tabs->count(); ++i)
        captions.append(m_tabs->tabText(i));
    return captions;
}

void PropertySheet::start()
{
    if (m_started)
        return;
    m_started = true;
    for (int i = 0; i < m_pages.size(); ++i) {
        PropertyPage* page = m_pages[i];
        guarded([&] { page->PropertyPage_Initialize(); });
        guarded([&] { page->IMMCPropertyPage_Initialize(QVariant()); });
        guarded([&] { page->PropertyPage_SelectionChanged(); });
        // A page may set its caption while it initialises.
        if (m_captions[i].isEmpty())
            m_tabs->setTabText(i, page->caption());
    }
    if (!m_pages.isEmpty())
        m_tabs->setCurrentIndex(0);
    // What the pages did while they loaded is no change of the administrator's.
    for (PropertyPage* page : m_pages)
        page->m_changed = false;
    m_apply->setEnabled(false);
}

void PropertySheet::pageChanged()
{
    bool any = false;
    for (const PropertyPage* page : m_pages)
        any = any || page->isChanged();
    m_apply->setEnabled(any);
}

void PropertySheet::apply()
{
    // A page whose change failed marks itself changed again, and Apply stays on.
    for (PropertyPage* page : m_pages) {
        page->m_changedAtApply = page->m_changed;
        page->m_changed = false;
        guarded([&] { page->PropertyPage_ApplyChanges(); });
        page->m_changedAtApply = false;
    }
    pageChanged();
}

QList<QAbstractButton*> PropertySheet::buttons() const
{
    return {m_ok, m_cancel, m_apply};
}

void PropertySheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        DialogKeys::focusFirstField(m_tabs->currentWidget());
}

void PropertySheet::keyPressEvent(QKeyEvent* event)
{
    if (DialogKeys::enterPressesOk(this, event, m_ok))
        return;
    QDialog::keyPressEvent(event);
}

bool PropertySheet::focusNextPrevChild(bool next)
{
    return DialogKeys::focusNext(this, buttons(), next);
}

void PropertySheet::accept()
{
    if (m_finished)
        return;
    apply();
    for (PropertyPage* page : m_pages)
        guarded([&] { page->IMMCPropertyPage_Close(); });
    finish(true);
    QDialog::accept();
}

void PropertySheet::reject()
{
    if (m_finished)
        return;
    for (PropertyPage* page : m_pages) {
        bool mayCancel = true;
        guarded([&] { mayCancel = page->IMMCPropertyPage_QueryCancel(); });
        if (!mayCancel)
            return;
    }
    for (PropertyPage* page : m_pages)
        guarded([&] { page->IMMCPropertyPage_Cancel(); });
    for (PropertyPage* page : m_pages)
        guarded([&] { page->IMMCPropertyPage_Close(); });
    finish(false);
    QDialog::reject();
}

void PropertySheet::finish(bool)
{
    m_finished = true;
    for (PropertyPage* page : m_pages)
        guarded([&] { page->PropertyPage_Terminate(); });
}

} // namespace corvane

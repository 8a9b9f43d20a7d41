#pragma once
// A wizard page whose Next is enabled only while whyNot() is empty; while it
// is not, the label lblWhyNot below the page's fields says what is missing,
// so a disabled Next is never a riddle.
#include <QString>
#include <QWizardPage>

class QBoxLayout;
class QLabel;

namespace corvane {

class CheckedPage : public QWizardPage
{
    Q_OBJECT
public:
    explicit CheckedPage(QWidget* parent = nullptr);

    bool isComplete() const final { return whyNot().isEmpty(); }
    // What keeps Next disabled; "" when nothing does.
    virtual QString whyNot() const = 0;

protected:
    // Puts the label at the end of the page's layout.
    void addWhyNotLabel(QBoxLayout* layout);
    void showEvent(QShowEvent* event) override;

private:
    void updateWhyNot();

    QLabel* m_lblWhyNot;
};

} // namespace corvane

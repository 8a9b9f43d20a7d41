#pragma once
// Small constructors for the controls pages and dialogs are made of, so a
// page states a control in one line: its kind, objectName and caption.
#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

namespace corvane {

class PageWidgets
{
public:
    static QLineEdit* lineEdit(QWidget* parent, const char* objectName);
    static QPushButton* button(QWidget* parent, const char* objectName, const char* caption);
};

} // namespace corvane

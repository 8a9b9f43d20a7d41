#include "forms/PageWidgets.h"

#include <QLineEdit>
#include <QPushButton>

namespace corvane {

QLineEdit* PageWidgets::lineEdit(QWidget* parent, const char* objectName)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(objectName));
    return e;
}

QPushButton* PageWidgets::button(QWidget* parent, const char* objectName, const char* caption)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(objectName));
    return b;
}

} // namespace corvane

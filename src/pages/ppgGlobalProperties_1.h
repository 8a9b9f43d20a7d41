#pragma once
// "Global Properties (Advanced)" of a server node: the score board, process
// id and lock files, and the modules and performance editors.
#include "pages/CorvanePage.h"

class QLineEdit;

namespace corvane {

class ppgGlobalProperties_1 : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgGlobalProperties_1(QWidget* parent = nullptr);

private:
    QLineEdit* fileRow(QWidget* frame, int row, const char* label, const char* text, const char* browse,
                       const QString& directive);
};

} // namespace corvane

#pragma once
// The icon settings editor: AddIcon, AddIconByType, AddIconByEncoding and
// AddDescription (one tab each, a row per name a line lists) and DefaultIcon.
#include "dialogs/CorvaneDialog.h"

namespace corvane {

class frmIcons : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmIcons(const EditorInputs& inputs, QWidget* parent = nullptr);
};

} // namespace corvane

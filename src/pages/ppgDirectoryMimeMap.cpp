#include "pages/ppgDirectoryMimeMap.h"

#include "dialogs/frmMIMEConfig.h"
#include "forms/PageWidgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

ppgDirectoryMimeMap::ppgDirectoryMimeMap(QWidget* parent)
    : CorvanePage(QStringLiteral("Mime Map"), 190, MainServer | Sections, parent)
{
    setObjectName(QStringLiteral("ppgDirectoryMimeMap"));
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("MIME Map"), this);
    auto* row = new QHBoxLayout(frame);
    auto* label = new QLabel(
        QStringLiteral("Configure the MIME types for all the web sites on this computer :"), frame);
    label->setWordWrap(true);
    row->addWidget(label, 1);
    QPushButton* edit = PageWidgets::button(frame, "cmdEditMimeMap", "Edit...");
    row->addWidget(edit);
    layout->addWidget(frame);
    layout->addStretch(1);
    connect(edit, &QPushButton::clicked, this, [this] { openEditor<frmMIMEConfig>(); });
}

} // namespace corvane

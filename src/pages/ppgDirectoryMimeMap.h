#pragma once
// The way to the MIME configuration (frmMIMEConfig) of a directory or
// location: the page itself writes nothing.
#include "pages/CorvanePage.h"

namespace corvane {

class ppgDirectoryMimeMap : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgDirectoryMimeMap(QWidget* parent = nullptr);
};

} // namespace corvane

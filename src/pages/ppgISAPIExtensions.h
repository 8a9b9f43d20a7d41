#pragma once
// The ISAPI extension settings of a Windows server (ISAPIFakeAsync,
// ISAPILogNotSupported, ISAPIReadAheadBuffer, ISAPIAppendLogToQuery,
// ISAPIAppendLogToErrors) and the extensions loaded at start-up
// (ISAPICacheFile, one row per file, added through frmISAPIExt).
#include "pages/CorvanePage.h"

class QTreeWidget;

namespace corvane {

class ListEditor;

class ppgISAPIExtensions : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgISAPIExtensions(QWidget* parent = nullptr);

protected:
    void LoadControls() override;

private:
    QTreeWidget* m_lstvISAPIFiles;
    ListEditor* m_editor;
};

} // namespace corvane

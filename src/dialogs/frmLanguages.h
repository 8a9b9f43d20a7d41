#pragma once
// The language settings editor: AddLanguage and AddCharset (a row per
// extension), the LanguagePriority list (added through frmSelectLanguage
// from the languages listed), ForceLanguagePriority, CacheNegotiatedDocs,
// DefaultLanguage and CharsetDefault.
#include "dialogs/CorvaneDialog.h"

class QComboBox;
class QTreeWidget;

namespace corvane {

class frmLanguages : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmLanguages(const EditorInputs& inputs, QWidget* parent = nullptr);

protected:
    void FormLoad() override;
    bool SaveDirectivesFromGUI() override;

private:
    // Apache 1.3 knows CacheNegotiatedDocs without an argument.
    bool bareCacheNegotiatedDocs() const;

    QTreeWidget* m_languages;
    QComboBox* m_cacheNegotiatedDocs;
    QString m_cacheShown;
};

} // namespace corvane

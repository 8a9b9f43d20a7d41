#pragma once
// The performance editor: ExtendedStatus, the cache and the process
// directives of a scope, with the Low / Medium / High presets that fill
// every numeric box at once. A process directive the server's loaded MPM
// does not know (ThreadsPerChild under prefork, the spare-server counts
// under worker or event) and a cache directive whose module is not loaded
// are switched off, so neither a preset nor a typed value writes a line
// Apache refuses.
#include "dialogs/CorvaneDialog.h"

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvane {

class frmPerformance : public CorvaneDialog
{
    Q_OBJECT
public:
    explicit frmPerformance(const EditorInputs& inputs, QWidget* parent = nullptr);

    // The MPM a configuration loads as a module ("prefork", "worker",
    // "event", "winnt" ...), "" when it loads none (built in).
    static std::string loadedMpm(const ConfigFile& model);
    // Whether a configuration that loads `mpm` (and its other modules) knows
    // `directive`; a configuration that loads no MPM knows every one.
    static bool knownBy(const ConfigFile& model, const QString& directive);

protected:
    void FormLoad() override;
    void showEvent(QShowEvent* event) override;

private:
    void choosePreset(int index);
    void showPresetOfValues();

    QComboBox* m_cmbExtendedStatus;
    QComboBox* m_cmbPerformance;
    QCheckBox* m_chkClearAll;
    QList<QLineEdit*> m_numbers;
    bool m_filling = false;
};

} // namespace corvane

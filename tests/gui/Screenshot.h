#pragma once
// Pictures taken by GUI tests for the documentation. They are saved under the
// build folder (never into the source tree); tools/screenshots.sh copies them
// into docs/screenshots/.
#include <QApplication>
#include <QDir>
#include <QString>
#include <QWidget>

namespace corvane::test {

inline bool saveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = QStringLiteral(CORVANE_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    QApplication::processEvents();
    return widget->grab().save(dir + u'/' + name + QStringLiteral(".png"), "PNG");
}

} // namespace corvane::test

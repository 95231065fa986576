#include "app/mainwindow.h"
#include "app/supportlog.h"
#include "resources/resources.h"
#include "store/paths.h"
#include "ui/fonts.h"
#include "ui/scaling.h"

#include <QApplication>

namespace {
// The pictures must be registered before the window is built.
[[maybe_unused]] const bool resourcesRegistered = (registerResources(), true);
} // namespace

int main(int argc, char *argv[])
{
    gui::useWholeScaleFactors();
    QApplication app(argc, argv);
    store::markProgramRunning();
    supportlog::install(supportlog::filePathUnder(store::defaultDataRoot()));
    // The fonts that come with the program, in a folder beside it.
    gui::registerFontsIn(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    gui::substituteMissingFonts();
    MainWindow window;
    window.show();
    return app.exec();
}

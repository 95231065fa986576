#include "app/mainwindow.h"
#include "app/singlecopy.h"
#include "app/supportlog.h"
#include "platform/platform.h"
#include "resources/resources.h"
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
    SingleCopy copy(singleCopyName(platform::defaultDataRoot()));
    if (!copy.claim())
        return 0;
    platform::markProgramRunning();
    supportlog::install(supportlog::filePathUnder(platform::defaultDataRoot()));
    // The fonts that come with the program, in a folder beside it.
    gui::registerFontsIn(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    gui::substituteMissingFonts();
    MainWindow window;
    QObject::connect(&copy, &SingleCopy::anotherCopyStarted, &window,
                     [&window] { bringToFront(window); });
    window.show();
    return app.exec();
}

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "app/TfrmKovu.h"
#include "platform/ErrorHandler.h"
#include "platform/Fonts.h"
#include "platform/Platform.h"

namespace {

// Every handler catches its own errors; this is only the last net for one that slipped through,
// so an unexpected error never ends the program.
class KovuApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            kovu::handleCurrentException();
            return false;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool hasPlatform = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const bool hasDisplay =
        qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!hasPlatform && !hasDisplay) {
        std::fprintf(
            stderr,
            "kovu: no display found. Start it on a desktop, or without one under a virtual display:\n"
            "      xvfb-run -a -s \"-screen 0 1024x768x24\" %s\n",
            argc > 0 ? argv[0] : "kovu");
        return 1;
    }
    KovuApplication app(argc, argv);
    QApplication::setApplicationName(kovu::kApplicationTitle);
    kovu::installChineseFonts();
    kovu::installChineseTranslations();
    kovu::Platform platform;
    kovu::TfrmKovu form(platform, QFileInfo(QCoreApplication::applicationFilePath()).absolutePath());
    static_cast<kovu::QtDialogs&>(platform.dialogs()).setParent(&form);
    form.show();
    return app.exec();
}

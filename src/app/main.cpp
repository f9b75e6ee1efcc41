#include <signal.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "app/DataFolder.h"
#include "app/TfrmKovu.h"
#include "platform/ErrorHandler.h"
#include "platform/Fonts.h"
#include "platform/Paths.h"
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

// Whether Qt can show a window. Without a platform named, Qt takes Wayland when its display is
// named and X11 otherwise; an X server that $DISPLAY names must answer, or Qt aborts (leaving a
// core dump) instead of saying what is wrong.
bool displayAvailable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb")) return true;
    if (platform.isEmpty() && qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) return true;
    if (!qEnvironmentVariableIsSet("DISPLAY")) return false;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return answers;
}

// A request to end (the session logging out, a shutdown, Ctrl+C in a terminal) ends the program as
// its exit button does, so the database is closed and folded back into one file. The handler
// only writes to a pipe; the event loop reads it.
int g_quitPipe[2] = {-1, -1};

void requestQuit(int) {
    const char c = 'q';
    [[maybe_unused]] const ssize_t n = ::write(g_quitPipe[1], &c, 1);
}

void quitOnTermination(
    QApplication& app, void (*quit)() = [] { QApplication::quit(); }) {
    if (::pipe(g_quitPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_quitPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, quit);
    struct sigaction sa = {};
    sa.sa_handler = requestQuit;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

// The user's data folder cannot be used: the message on the terminal and in a box, and the program
// ends with status 1 without having written anything. A request to end closes the box too.
int refuseToStart(int argc, char** argv, const QString& message) {
    std::fprintf(stderr, "kovu: %s\n", qPrintable(message));
    std::fflush(stderr);
    KovuApplication app(argc, argv);
    QApplication::setApplicationName(kovu::kApplicationTitle);
    kovu::installChineseFonts();
    kovu::installChineseTranslations();
    quitOnTermination(app, [] { QCoreApplication::exit(1); });
    kovu::Platform platform;
    platform.dialogs().message(kovu::kOpenFailedTitle, message, kovu::MsgIcon::Warning, kovu::MsgButtons::Ok);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(
            stderr,
            "kovu: no display found. Start it on a desktop, or without one under a virtual display:\n"
            "      xvfb-run -a -s \"-screen 0 1024x768x24\" %s\n",
            argc > 0 ? argv[0] : "kovu");
        return 1;
    }
    // The program's folder, and where its data lies: beside it (portable) or in the user's own
    // folder (installed). The database is opened while the window is built.
    const kovu::DataPlace place = kovu::resolveDataPlace(kovu::programFolder());
    if (!place.error.isEmpty()) return refuseToStart(argc, argv, place.error);
    const QString& folder = place.folder;
    // Qt takes the first thread that it meets for the main thread, and the workers started below
    // use it too (files, pictures): this thread makes itself known first, or now and then a worker
    // would be taken for the main thread and the application refused its place.
    QThread::currentThread();
    kovu::TfrmKovu::openDatabaseAhead(folder);
    // The font configuration and the main screen's pictures, on one worker while Qt connects to
    // the display.
    kovu::loadFontConfigurationAhead(kovu::TfrmKovu::mainScreenPicturesDecoder());
    KovuApplication app(argc, argv);
    QApplication::setApplicationName(kovu::kApplicationTitle);
    // The desktop entry the window belongs to (its icon and name in the task bar).
    QGuiApplication::setDesktopFileName(kovu::kApplicationId);
    kovu::installChineseFonts();
    kovu::installChineseTranslations();
    kovu::Platform platform;
    kovu::TfrmKovu form(platform, folder, place.programFolder);
    static_cast<kovu::QtDialogs&>(platform.dialogs()).setParent(&form);
    form.show();
    quitOnTermination(app);
    return app.exec();
}

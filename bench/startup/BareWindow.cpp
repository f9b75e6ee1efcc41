// The yardstick of make bench-startup: the smallest Qt Widgets program with a window, a label in
// an application.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Kovu"));
    label.show();
    return app.exec();
}

// Entry of make bench: one QApplication (offscreen) for every benchmark file in bench/.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "platform/Fonts.h"

int main(int argc, char** argv) {
    kovu::test::quietPlatformMessages();
    kovu::test::useOwnCacheFolder();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(kovu::kApplicationTitle);
    kovu::installChineseFonts();
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}

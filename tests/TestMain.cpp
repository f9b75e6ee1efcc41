#include <gtest/gtest.h>

#include <QApplication>

#include "TestSupport.h"
#include "WindowManager.h"
#include "app/TfrmKovu.h"
#include "platform/Fonts.h"

int main(int argc, char** argv) {
    kovu::test::quietPlatformMessages();
    kovu::test::useOwnCacheFolder();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kovu::test::emulateWindowManager();
    QApplication::setApplicationName(kovu::kApplicationTitle);
    kovu::installChineseFonts();
    kovu::installChineseTranslations();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

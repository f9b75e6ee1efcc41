#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kovu {

// The screens are designed with the four Chinese system faces 宋体, 楷体_GB2312, 黑体 and
// 仿宋_GB2312. installChineseFonts maps each onto installed fonts, best first, so the four render
// as four different typefaces; every other family falls back to a complete CJK face.
void installChineseFonts();

// Reads the font configuration (fontconfig's settings and caches, some milliseconds of work) on a
// worker thread, started before the application object so that the two overlap; installChineseFonts
// waits for it, and Qt's first font then finds it read. andThen runs on the same worker afterwards
// (here at once when no thread can be had).
void loadFontConfigurationAhead(std::function<void()> andThen = {});

// The installed families that stand in for one design family, best first.
QStringList fontSubstitutes(const QString& designFamily);

// Loads Qt's Chinese standard button texts (确定, 取消, 是, 否).
void installChineseTranslations();

}  // namespace kovu

#pragma once

#include <QString>
#include <QStringList>

namespace kovu {

// The screens are designed with the four Chinese system faces 宋体, 楷体_GB2312, 黑体 and
// 仿宋_GB2312. installChineseFonts maps each onto installed fonts, best first, so the four render
// as four different typefaces; every other family falls back to a complete CJK face.
void installChineseFonts();

// The installed families that stand in for one design family, best first.
QStringList fontSubstitutes(const QString& designFamily);

// Loads Qt's Chinese standard button texts (确定, 取消, 是, 否).
void installChineseTranslations();

}  // namespace kovu

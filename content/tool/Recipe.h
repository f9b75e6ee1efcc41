#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace kovu::content {

enum class PictureFormat { Bitmap, Jpeg, Png };

// One drawing step of a recipe: the command word and its key=value settings.
struct Layer {
    int line = 0;
    QString command;
    QHash<QString, QString> keys;
};

// A picture recipe: a name, the file format, the size and the layers painted in order.
//
//   picture NAME format=bmp|jpeg|png size=WxH
//     fill colour=#fff4c2
//     gradient top=#ffffff bottom=#cde8ff
//     rect x=1 y=1 w=32 h=32 radius=6 fill=#ffd84d pen=#c99a00 width=1
//     ellipse x=.. y=.. w=.. h=.. fill=.. pen=.. width=..
//     polyline points="20,60 60,100 140,20" pen=#20a020 width=18 [fill=..]
//     emoji text="🍎" x=200 y=150 size=180 [fit=W]
//     text text="拼" x=17 y=17 size=26 font=楷体_GB2312 colour=#d02020 [bold=1] [outline=#fff]
//        [outlinewidth=2] [fit=W] [align=centre|left|right]
//   end
//
// x and y of emoji and text are the centre (left or right edge with align). A value "$name" is
// replaced by a variable given when the recipe is drawn (the emoji of a word picture).
struct Recipe {
    QString file;
    int line = 0;
    QString name;
    PictureFormat format = PictureFormat::Jpeg;
    QSize size;
    std::vector<Layer> layers;
};

// Reads every recipe of a recipe file. Raises SourceError with the file and line of the first
// fault: an unknown command or key, a missing setting, a bad number, colour, font or size, an
// emoji that the colour emoji font does not hold.
std::vector<Recipe> readRecipes(const QString& path, const QString& name);

// Paints a recipe. vars replace "$name" values. Raises SourceError (the layer's line) when a
// variable is missing or an emoji cannot be drawn.
QImage drawRecipe(const Recipe& r, const QHash<QString, QString>& vars = {});
// The same drawing scaled to size (an icon drawn at each of its sizes, not resampled from one).
QImage drawRecipe(const Recipe& r, QSize size);

// The bytes of the picture file in the recipe's format (JPEG at quality 90, 24-bit BMP, PNG).
QByteArray encodePicture(const QImage& img, PictureFormat format);

// Raises SourceError(file, line) when text holds a character that the colour emoji font lacks.
void checkEmoji(const QString& text, const QString& file, int line);

const char* formatName(PictureFormat f);

}  // namespace kovu::content

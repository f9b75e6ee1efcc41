#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The arithmetic of the picture page and of cropping, as plain functions: which picture a choice
// addresses and the size it needs, how the working image is fitted into its area, how a picture is
// assessed, which piece a cut takes, and the texts built from these numbers.
namespace kovu {

// The eight choices of cboZp; the first character is the choice number, the name starts at the
// third character.
QStringList pictureChoices();
// 1..8 from an item text, 0 when it does not start with a digit.
int choiceNumber(const QString& itemText);
QString choiceName(const QString& itemText);
// The yetp code of choices 1 to 7, read two letters at a time from "sspyyyzqcwdhch".
QString choiceCode(int n);
// 400 x 300 below 6, 160 x 133 below 8, else 30 x 30.
QSize requiredSize(int n);
// 1.3333 below 6, 1.203 for 6 and 7, 1.0 for the example pictures.
float requiredAspect(int n);
// Width / height in single precision (0 for an empty size).
float aspectOf(QSize s);

// Nearest integer, halves to the even neighbour; saturates at the int range.
int roundHalfEven(double v);
// The format "0.0000" (halves away from zero).
QString fixed4(double v);

// The working image imgZp: its area is 300 x 225 with the top left corner at 315,38.
inline constexpr int kWorkLeft = 315;
inline constexpr int kWorkTop = 38;
inline constexpr int kWorkWidth = 300;
inline constexpr int kWorkHeight = 225;

struct WorkingFit {
    QRect rect;        // where imgZp goes
    double viewScale;  // displayed size / true size
};
// Fits a picture of the given size, shown with proportion r, into the working area.
WorkingFit fitWorkingImage(QSize picture, float r, int top = kWorkTop);

struct Assessment {
    bool matches = false;   // within 1 % of the required proportion
    bool tooSmall = false;  // narrower or lower than the required size
};
Assessment assessPicture(QSize picture, float sourceAspect, float requiredAspect, QSize required);

// The message of the crop panel for an opened picture.
QString cropMessage(const QString& choiceName, QSize required, float requiredAspect, QSize picture,
                    float sourceAspect, Assessment a);
// The confirmation text after a cut.
QString cropDoneMessage();

// The file name shown for an opened file: whole when shorter than 51 GBK bytes, otherwise the
// beginning of the folder, "...\" and the file's own name. The cut never splits a character.
QString shortFileName(const QString& fullName);

// What a cut needs to know. Positions and sizes of a drag are display pixels of imgZp.
struct CropInput {
    QSize picture;         // the working picture W x H
    QSize required;        // Wr x Hr
    float requiredAspect;  // RequiredAspect
    float sourceAspect;    // SourceAspect of the opened file
    bool originalSize;     // "按原尺寸" checked
    QPoint dragStart;      // CropStart
    QSize dragSize;        // CropSize
    double viewScale;      // ViewScale
};
// The piece a cut takes ('z' top left, 'j' centre, 's' dragged), in picture pixels, always inside
// the picture; empty when nothing can be cut.
QRect cropPiece(char mode, const CropInput& in);

// The rubber band of a drag from start to pos: the width is the horizontal distance, the height
// follows from the proportion. Empty unless pos lies right of and below start; the rectangle is
// reduced so that it stays inside a display of the given size.
QSize dragRectangle(QPoint start, QPoint pos, QSize display, float requiredAspect);

// The picture that is stored: reduced (stretched) to the required size when the cut made in the
// same step is wider than it and the cut was by proportion, dragged, or none; else unchanged.
QImage pictureToStore(const QImage& working, int cutWidth, bool byAspect, char mode, QSize required);

// The name "另存" writes: ".jpg" (filter 1) or ".bmp" (filter 2) appended unless the name ends in
// exactly that text.
QString saveFileName(const QString& name, int filterIndex);

// A filter of the form "name|pattern|name|pattern" for the Qt file dialogs.
QString dialogFilter(const QString& pairs);

// Decodes the bytes of a picture file by its name: ".bmp" as a Windows bitmap, ".jpg" and ".jpeg"
// as JPEG (a damaged or truncated stream is refused). Raises KovuError with a message for the user
// when the file is not a picture of that kind or declares an absurd size. The result is a 24-bit
// bitmap whose pixels a cut can copy.
QImage decodePictureFile(const QByteArray& bytes, const QString& fileName);
// Reads and decodes a picture file.
QImage loadPictureFile(const QString& path);

}  // namespace kovu

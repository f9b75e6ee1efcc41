#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace kovu {

class Query;
class TImage;
struct SharedState;

// Placement arithmetic of the pictures, as plain functions.
// Left of a natural-size word picture in the 400-pixel picture area at design left 15.
int wordPictureLeft(int pictureWidth);
// The preview box on the picture page for a size class ("8..." example pictures, else screen pictures).
QRect previewBox(const QString& sizeClass);
// Where the preview goes: the box itself, or with natural size the picture fitted into the box.
QRect previewPlacement(QSize picture, const QString& sizeClass, bool naturalSize);
// The editor's word picture, fitted to a 180 x 135 box whose centre line is at 522, top 208.
QRect editorWordPlacement(QSize picture);

// The practice picture area imgTx and the place its design left is recorded for the layout.
struct PracticePictureArea {
    TImage* imgTx = nullptr;
    SharedState* state = nullptr;
};

// Shows the yetp picture code (JPEG) in target, after putting imgTx back to left 15, stretched.
void ShowScreenPicture(Query& aquTp, PracticePictureArea& area, TImage* target, const QString& code);
// Natural-size word picture of the current yydc row of aquSb in imgTx.
void ShowWordPicture(Query& aquSb, PracticePictureArea& area);
// Preview of the current aquTp row in imgZ1 on the picture page.
void ShowPicturePreview(Query& aquTp, TImage* imgZ1, QLabel* lblSk, const QString& sizeClass,
                        bool naturalSize);
// Word picture of the current yydc row of aquSb in the editor's imgZ0; the grid shrinks to 148.
void ShowEditorWordPicture(Query& aquSb, TImage* imgZ0, QWidget* dbgKb);
// Loads the yetl picture called name into every one of targets.
void LoadExamplePicture(Query& aquTp, const QString& name, const QList<TImage*>& targets);

// The seven files of the folder fzwj and the yetp codes they come from.
struct MenuPictureFile {
    QString code;
    QString file;
};
QList<MenuPictureFile> menuPictureFiles();
// Whether a menu picture file is there and whole: a bitmap that decodes, a JPEG whose header reads
// and whose stream ends with its end marker.
bool menuPictureReadable(const QString& path);
// Writes the menu pictures into exeFolder/fzwj; with onlyMissing, files that are there and decode
// stay untouched. Each file is written whole or not at all. Returns the number of files written.
int ExtractMenuPictures(Query& aquSb, const QString& exeFolder, bool onlyMissing);

}  // namespace kovu

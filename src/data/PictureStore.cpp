#include "data/PictureStore.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QSaveFile>

#include "platform/ImageCodec.h"
#include "data/Query.h"
#include "data/Shared.h"
#include "platform/Controls.h"
#include "platform/Errors.h"

namespace kovu {

int wordPictureLeft(int pictureWidth) { return (400 - pictureWidth) / 2 + 15; }

QRect previewBox(const QString& sizeClass) {
    if (sizeClass.startsWith('8')) return {150, 103, 100, 100};
    return {8, 121, 300, 225};
}

QRect previewPlacement(QSize picture, const QString& sizeClass, bool naturalSize) {
    const QRect box = previewBox(sizeClass);
    if (!naturalSize || picture.width() <= 0 || picture.height() <= 0) return box;
    const double r = static_cast<double>(picture.width()) / picture.height();
    int w, h;
    if (r <= 1.3333) {
        h = std::min(box.height(), picture.height());
        w = picture.width() * h / picture.height();
    } else {
        w = std::min(box.width(), picture.width());
        h = picture.height() * w / picture.width();
    }
    return {box.left() + (box.width() - w) / 2, box.top(), w, h};
}

QRect editorWordPlacement(QSize picture) {
    if (picture.width() <= 0 || picture.height() <= 0) return {432, 208, 180, 135};
    const double r = static_cast<double>(picture.width()) / picture.height();
    if (r <= 1.3333) {
        const int w = picture.width() * 135 / picture.height();
        return {522 - w / 2, 208, w, 135};
    }
    return {432, 208, 180, picture.height() * 180 / picture.width()};
}

namespace {

// What a screen reader says of a screen picture of yetp.
QString screenPictureName(const QString& code) {
    static const QHash<QString, QString> names = {
        {"zq", QStringLiteral("答对了")},   {"cw", QStringLiteral("答错了")},
        {"dh", QStringLiteral("对")},       {"ch", QStringLiteral("错")},
        {"ss", QStringLiteral("算术练习")}, {"py", QStringLiteral("拼音练习")},
        {"yy", QStringLiteral("英语练习")}, {"bj", QStringLiteral("背景图片")},
    };
    return names.value(code.toLower(), code);
}

void resetPictureArea(PracticePictureArea& area) {
    if (!area.imgTx) return;
    if (area.state) {
        QRect d = area.state->Design.value("imgTx", QRect(15, 235, 400, 300));
        d.moveLeft(15);
        area.state->Design.insert("imgTx", d);
        const int scale = area.state->LayoutScale;
        area.imgTx->move(15 * scale / 100, area.imgTx->y());
    } else {
        area.imgTx->move(15, area.imgTx->y());
    }
    area.imgTx->setStretch(true);
}

}  // namespace

void ShowScreenPicture(Query& aquTp, PracticePictureArea& area, TImage* target, const QString& code) {
    resetPictureArea(area);
    aquTp.setSql("SELECT * FROM yetp WHERE 图号= ?", {code});
    aquTp.open();
    if (aquTp.eof()) fail(QStringLiteral("图片“%1”在数据库中不存在。").arg(code));
    const QImage img = decodeJpeg(aquTp.blob("图片"));
    target->show();
    target->setPicture(img);
    target->setAccessibleName(screenPictureName(code));
}

void ShowWordPicture(Query& aquSb, PracticePictureArea& area) {
    const QImage img = decodeJpeg(aquSb.blob("图片"));
    const int left = wordPictureLeft(img.width());
    const int scale = area.state ? area.state->LayoutScale : 100;
    if (area.state) {
        QRect d = area.state->Design.value("imgTx", QRect(15, 235, 400, 300));
        d.moveLeft(left);
        area.state->Design.insert("imgTx", d);
    }
    area.imgTx->move(left * scale / 100, area.imgTx->y());
    area.imgTx->setPicture(img);
    area.imgTx->setStretch(false);
    area.imgTx->show();
    // A screen reader names the picture by the word's meaning.
    area.imgTx->setAccessibleName(aquSb.text("汉语"));
}

void ShowPicturePreview(Query& aquTp, TImage* imgZ1, QLabel* lblSk, const QString& sizeClass,
                        bool naturalSize) {
    if (aquTp.text("图片").isEmpty() && aquTp.blob("图片").isEmpty()) {
        if (lblSk) lblSk->setText(QStringLiteral("图片数据不存在！"));
        imgZ1->hide();
        return;
    }
    const QImage img = decodeJpeg(aquTp.blob("图片"));
    imgZ1->setPicture(img);
    imgZ1->setStretch(true);
    imgZ1->setGeometry(previewPlacement(img.size(), sizeClass, naturalSize));
    imgZ1->show();
}

void ShowEditorWordPicture(Query& aquSb, TImage* imgZ0, QWidget* dbgKb) {
    if (aquSb.isNull("图片")) return;
    const QImage img = decodeJpeg(aquSb.blob("图片"));
    imgZ0->setStretch(true);
    imgZ0->show();
    imgZ0->setPicture(img);
    imgZ0->setGeometry(editorWordPlacement(img.size()));
    if (dbgKb) dbgKb->resize(dbgKb->width(), 148);
}

void LoadExamplePicture(Query& aquTp, const QString& name, const QList<TImage*>& targets) {
    aquTp.setSql("SELECT * FROM yetl WHERE 图名 = ?", {name});
    aquTp.open();
    if (aquTp.eof()) {
        aquTp.close();
        fail(QStringLiteral("例图“%1”在数据库中不存在。").arg(name));
    }
    QImage img;
    try {
        img = decodeJpeg(aquTp.blob("图片"));
    } catch (...) {
        aquTp.close();
        throw;
    }
    for (TImage* t : targets) {
        t->setPicture(img);
        t->setAccessibleName(name);
    }
    aquTp.close();
}

QList<MenuPictureFile> menuPictureFiles() {
    // Database codes and file names read two letters at a time.
    const QString codes = "bzpiyifhsusz";
    const QString files = "bzpyyyfhsssz";
    QList<MenuPictureFile> out;
    for (int i = 0; i < 6; ++i)
        out.append(MenuPictureFile{codes.mid(i * 2, 2), files.mid(i * 2, 2) + ".bmp"});
    out.append(MenuPictureFile{"bj", "bj.jpg"});
    return out;
}

bool menuPictureReadable(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    try {
        if (path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)) {
            decodeBitmap(bytes);
            return true;
        }
        // The JPEG is only shown on the picture page, which shows nothing where it does not
        // decode. At start-up what matters is that the file is a JPEG and whole (not cut short by
        // a full disk), which its header and its end marker tell without decoding it: the first
        // decode would add half a millisecond to every start.
        const QSize size = jpegSize(bytes);
        if (size.isEmpty() || qint64(size.width()) * size.height() > kMaxPicturePixels) return false;
        return bytes.endsWith(QByteArrayLiteral("\xFF\xD9"));
    } catch (const KovuError&) {
        return false;
    }
}

int ExtractMenuPictures(Query& aquSb, const QString& exeFolder, bool onlyMissing) {
    const QString folder = QDir(exeFolder).filePath("fzwj");
    if (!QDir().mkpath(folder)) fail(QStringLiteral("不能建立文件夹 %1。").arg(folder));
    int written = 0;
    aquSb.setSql("SELECT * FROM yetp");
    aquSb.open();
    try {
        for (const MenuPictureFile& m : menuPictureFiles()) {
            const QString path = QDir(folder).filePath(m.file);
            if (onlyMissing && menuPictureReadable(path)) continue;
            for (aquSb.first(); !aquSb.eof(); aquSb.next()) {
                if (aquSb.text("图号").compare(m.code, Qt::CaseInsensitive) != 0) continue;
                const QByteArray bytes = aquSb.blob("图片");
                // Decoding first proves the picture sound.
                QByteArray out;
                if (m.file.endsWith(".bmp")) {
                    out = encodeBitmap(decodeBitmap(bytes));
                } else {
                    decodeJpeg(bytes);
                    out = bytes;
                }
                // The file takes its name only once it is complete on the disk: a full disk leaves
                // the old file (or none), never a short one. Unbuffered, so a failing write is seen
                // by the save file itself (a buffered one fails only in the flush of commit(),
                // which commit() does not notice).
                QSaveFile f(path);
                if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || f.write(out) != out.size() ||
                    !f.commit())
                    fail(QStringLiteral("不能写文件 %1：%2")
                             .arg(QDir::toNativeSeparators(path), f.errorString()));
                ++written;
            }
        }
    } catch (...) {
        aquSb.close();
        throw;
    }
    aquSb.close();
    return written;
}

}  // namespace kovu

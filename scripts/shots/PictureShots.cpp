// Pictures of the picture page for the README: the real form on a copy of the delivered database,
// a drawn photo opened from a file, the crop panel in its offer and confirmation states and a
// rectangle being dragged over the working image.
//   kovu_picture_shots <kovu.mdb> <output folder>
#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <deque>

#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "platform/Platform.h"

namespace {

using namespace kovu;
using shots::save;
using shots::settle;

// File dialogs answered from a list; message boxes printed and answered with OK.
class ShotDialogs : public Dialogs {
public:
    MsgResult message(const QString& title, const QString& text, MsgIcon, MsgButtons) override {
        std::printf("message %s: %s\n", qPrintable(title), qPrintable(text));
        return MsgResult::Ok;
    }
    QString openFile(const QString&, const QString&, const QString&) override {
        if (files.empty()) return {};
        const QString f = files.front();
        files.pop_front();
        return f;
    }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    std::deque<QString> files;
};

// A fixed clock, so retaking the pictures changes only what changed on screen.
class ShotPlatform : public Platform {
public:
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 9), QTime(8, 5, 12)); }
};

// A small landscape: sky, sun, hills and a house.
QImage drawPhoto(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(90, 160, 235));
    sky.setColorAt(0.6, QColor(200, 230, 250));
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 60));
    p.drawEllipse(QPointF(w * 0.8, h * 0.22), h * 0.1, h * 0.1);
    QPainterPath hills;
    hills.moveTo(0, h * 0.7);
    hills.cubicTo(w * 0.25, h * 0.5, w * 0.45, h * 0.8, w * 0.7, h * 0.6);
    hills.cubicTo(w * 0.85, h * 0.52, w * 0.95, h * 0.6, w, h * 0.62);
    hills.lineTo(w, h);
    hills.lineTo(0, h);
    p.setBrush(QColor(70, 160, 70));
    p.drawPath(hills);
    const QRectF house(w * 0.3, h * 0.55, w * 0.16, h * 0.2);
    p.setBrush(QColor(240, 235, 220));
    p.drawRect(house);
    QPolygonF roof;
    roof << QPointF(house.left() - w * 0.02, house.top())
         << QPointF(house.center().x(), house.top() - h * 0.12)
         << QPointF(house.right() + w * 0.02, house.top());
    p.setBrush(QColor(190, 60, 50));
    p.drawPolygon(roof);
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(house.center().x() - w * 0.02, house.bottom() - h * 0.1, w * 0.04, h * 0.1));
    return img;
}

void choose(QComboBox* box, int i) {
    box->setCurrentIndex(i);
    Q_EMIT box->activated(i);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out = shots::prepare(argc, argv, "kovu_picture_shots", dir, "UPDATE yesz SET 课本号 = 1");
    if (out.isEmpty()) return 1;
    // A folder of a stable name, so the title of the crop panel reads the same at every retake.
    const QString photos = QDir::tempPath() + QStringLiteral("/我的照片");
    QDir().mkpath(photos);
    const QString wide = photos + QStringLiteral("/全家福 2024.jpg");
    const QString photo = photos + QStringLiteral("/公园.jpg");
    drawPhoto(800, 450).save(wide, "JPG", 90);
    drawPhoto(640, 480).save(photo, "JPG", 90);

    ShotPlatform platform;
    auto dialogs = std::make_unique<ShotDialogs>();
    ShotDialogs* dlg = dialogs.get();
    platform.setDialogs(std::move(dialogs));
    TfrmKovu form(platform, dir.path());
    form.show();
    settle();
    PicturePage* tp = form.tasTp;
    ConfirmPanel* zc = form.panZc;
    bool ok = true;

    // The page as it opens: choice 1 with the stored arithmetic title picture.
    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    ok &= save(&form, out + "/pictures-screen.png");

    // The example pictures with their grid, the second one clicked.
    choose(tp->cboZp, 7);
    settle();
    const QModelIndex second = tp->dbgZp->model()->index(1, 0);
    QTest::mouseClick(tp->dbgZp->viewport(), Qt::LeftButton, {}, tp->dbgZp->visualRect(second).center());
    ok &= save(&form, out + "/pictures-examples.png");

    // A wide photo for the arithmetic title: the offer to cut it, then the centred cut to confirm.
    choose(tp->cboZp, 0);
    dlg->files.push_back(wide);
    QTest::mouseClick(tp->spbDk, Qt::LeftButton);
    ok &= save(&form, out + "/pictures-crop-offer.png");
    QTest::mouseClick(zc->rabKg, Qt::LeftButton, {}, QPoint(6, zc->rabKg->height() / 2));
    QTest::mouseClick(zc->spbZb, Qt::LeftButton);
    ok &= save(&form, out + "/pictures-crop-confirm.png");

    // A photo of the right proportion, a rectangle being dragged over it.
    QTest::mouseClick(tp->spbCx, Qt::LeftButton);
    dlg->files.push_back(photo);
    QTest::mouseClick(tp->spbDk, Qt::LeftButton);
    QTest::mouseClick(zc->spbQz, Qt::LeftButton);
    QTest::mousePress(tp->imgZp, Qt::LeftButton, {}, QPoint(60, 40));
    QTest::mouseMove(tp->imgZp, QPoint(150, 100));
    QTest::mouseMove(tp->imgZp, QPoint(240, 150));
    settle();
    ok &= save(&form, out + "/pictures-crop-drag.png");
    QDir(photos).removeRecursively();
    return ok ? 0 : 1;
}

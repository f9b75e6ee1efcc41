// Picture page figures with a 12-megapixel photo (4000 x 3000 JPEG): opening and fitting it into
// the working image, and a centred cut of it stored into the database, on the real form.
#include <benchmark/benchmark.h>

#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"

using namespace kovu;

namespace {

// A photo-like picture: gradients and shapes, so the JPEG is of a photo's size, not a flat one's.
QString writePhoto(const QString& path) {
    QImage img(4000, 3000, QImage::Format_RGB888);
    QPainter p(&img);
    QLinearGradient g(0, 0, 4000, 3000);
    g.setColorAt(0, QColor(40, 120, 220));
    g.setColorAt(0.5, QColor(240, 200, 90));
    g.setColorAt(1, QColor(30, 140, 60));
    p.fillRect(img.rect(), g);
    for (int i = 0; i < 400; ++i) {
        p.setBrush(QColor::fromHsv((i * 37) % 360, 160, 220));
        p.drawEllipse(QPoint((i * 977) % 4000, (i * 613) % 3000), 40 + i % 90, 30 + i % 70);
    }
    p.end();
    img.save(path, "JPG", 90);
    return path;
}

struct PictureBench {
    test::FakePlatform platform;
    test::TestFolder folder;
    std::unique_ptr<TfrmKovu> form;
    QString photo;
    PictureBench() {
        folder.writeSmallDb();
        photo = writePhoto(folder.file("photo.jpg"));
        form = test::makeForm(platform, folder);
        form->show();
        form->imgSzClick();
    }
};

void BM_OpenAndFit12MegapixelJpeg(benchmark::State& st) {
    PictureBench b;
    for (auto _ : st) {
        b.form->tasTp->LoadSourcePicture(b.photo);
        benchmark::DoNotOptimize(b.form->tasTp->ViewScale);
    }
}
BENCHMARK(BM_OpenAndFit12MegapixelJpeg)->Unit(benchmark::kMillisecond);

void BM_CentredCutAndStore12Megapixel(benchmark::State& st) {
    PictureBench b;
    PicturePage* tp = b.form->tasTp;
    ConfirmPanel* zc = b.form->panZc;
    // The tick needs 1.203: a 4:3 photo must be cut.
    tp->cboZp->setCurrentIndex(5);
    tp->cboZpClick();
    for (auto _ : st) {
        st.PauseTiming();
        b.platform.dlg().chooseFile(b.photo);
        tp->spbDkClick();
        zc->rabKg->click();
        st.ResumeTiming();
        zc->spbZbClick();  // 居中裁剪: 3609 x 3000
        zc->spbKsClick();  // 确定选用: encoded and stored
        st.PauseTiming();
        b.platform.dlg().clear();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_CentredCutAndStore12Megapixel)->Unit(benchmark::kMillisecond);

}  // namespace

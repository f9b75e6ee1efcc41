// Editor figures:
//   the typing help of a character (edtKmChange with the look-ups in yepy and the whole delivered
//   dictionary yefc), a character with one reading and one with several
//   deleting a textbook with its lessons and 5 000 items (1 000 of them shared with textbook 2)
//   storing a word picture chosen from a 12-megapixel JPEG file
#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTabWidget>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "editor/EditorPage.h"
#include "pictures/PicturePage.h"

using namespace kovu;

namespace {

// The editor in scope 2 of the first lesson of the first textbook.
void openFirstLesson(TfrmKovu& form, int tab = 0) {
    form.imgSzClick();
    form.pagSz->setCurrentWidget(form.tasLr);
    EditorPage* lr = form.tasLr;
    if (tab != lr->tabFl->currentIndex()) lr->tabFl->setCurrentIndex(tab);
    lr->cboKt->setCurrentIndex(0);
    lr->navigation().cboKtClick();
    lr->rgpFw->click(1);
    lr->lstK1->setCurrentRow(0);
    lr->navigation().lstK1Click();
    lr->rgpFw->click(2);
}

// state.range(0): 0 a character with one reading (天), 1 one with several (行).
void BM_TypingHelpOverTheDeliveredDictionary(benchmark::State& st) {
    test::TestFolder folder;
    folder.copyDeliveredDb();
    test::FakePlatform platform;
    TfrmKovu form(platform, folder.path());
    openFirstLesson(form);
    EditorPage* lr = form.tasLr;
    lr->entry().spbTjClick();
    const QString ch = st.range(0) == 0 ? QStringLiteral("天") : QStringLiteral("行");
    for (auto _ : st) {
        lr->edtKm->setText(ch);
        st.PauseTiming();
        if (lr->edtPy->text().isEmpty() && lr->lstDy->count() == 0) st.SkipWithError("no reading found");
        lr->edtKm->clear();
        lr->edtPy->clear();
        platform.dlg().clear();
        st.ResumeTiming();
    }
}
BENCHMARK(BM_TypingHelpOverTheDeliveredDictionary)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DeleteTextbookWith5000Items(benchmark::State& st) {
    test::TestFolder folder;
    folder.writeSmallDb();
    test::FakePlatform platform;
    auto fill = [&folder] {
        auto c = test::openDb(folder.db());
        Transaction t(*c);
        c->exec("DELETE FROM yekb");
        c->exec("DELETE FROM yekt");
        c->exec("DELETE FROM yepy");
        for (int d = 1; d <= 2; ++d) {
            c->exec("INSERT INTO yekb (课本号, 课本名称) VALUES (?, ?)",
                    {QString::number(d), QString("课本%1").arg(d)});
            for (int s = 1; s <= 50; ++s)
                c->exec("INSERT INTO yekt (编号, 课题) VALUES (?, ?)",
                        {QString::number(d * 100 + s), "课题"});
        }
        for (int i = 0; i < 5000; ++i) {
            QString number = QString::number(101 + i % 50);
            if (i % 5 == 0) number += QString::number(201 + i % 50);
            c->exec("INSERT INTO yepy (编号, 文字, 拼音, 音调, 选中) VALUES (?, ?, 'py', '1', 0)",
                    {number, QString(QChar(0x4E00 + i))});
        }
        t.commit();
    };
    TfrmKovu form(platform, folder.path());
    EditorPage* lr = form.tasLr;
    for (auto _ : st) {
        st.PauseTiming();
        fill();
        form.imgSzClick();
        if (form.pagSz->isHidden()) form.imgSzClick();
        form.pagSz->setCurrentWidget(form.tasTp);
        form.pagSz->setCurrentWidget(form.tasLr);
        lr->rgpFw->click(0);
        lr->cboKt->setCurrentIndex(0);
        lr->navigation().cboKtClick();
        platform.dlg().answer(MsgResult::Ok);
        platform.dlg().answer(MsgResult::Yes);
        st.ResumeTiming();
        lr->entry().spbScClick();
        st.PauseTiming();
        auto c = test::openDb(folder.db());
        if (c->scalar("SELECT count(*) FROM yepy").toInt() != 1000)
            st.SkipWithError("the textbook was not deleted");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteTextbookWith5000Items)->Unit(benchmark::kMillisecond);

void BM_StoreWordPictureFrom12Megapixels(benchmark::State& st) {
    test::TestFolder folder;
    folder.writeSmallDb();
    {
        auto c = test::openDb(folder.db());
        c->exec("INSERT INTO yykb (课本号, 课本名称) VALUES ('1', 'Book')");
        c->exec("INSERT INTO yykt (编号, 课题) VALUES ('101', 'Unit')");
        c->exec("INSERT INTO yydc (编号, 英语, 汉语, 选中) VALUES ('101', 'sun', '太阳', 0)");
    }
    QImage photo(4000, 3000, QImage::Format_RGB888);
    {
        QPainter p(&photo);
        for (int i = 0; i < 40; ++i) p.fillRect(i * 100, 0, 100, 3000, QColor::fromHsv(i * 9, 180, 220));
    }
    const QString file = folder.file("photo.jpg");
    photo.save(file, "JPG", 90);
    test::FakePlatform platform;
    TfrmKovu form(platform, folder.path());
    openFirstLesson(form, 1);
    EditorPage* lr = form.tasLr;
    lr->navigation().dbgKbCellClick(lr->dbgKb->model()->index(0, 0));
    for (auto _ : st) {
        platform.dlg().chooseFile(file);
        lr->aids().spbDyClick();
        lr->aids().spbDyClick();
        st.PauseTiming();
        if (!platform.dlg().log.empty() || form.db().aquSb.blob("图片").isEmpty())
            st.SkipWithError("the picture was not stored");
        st.ResumeTiming();
    }
}
BENCHMARK(BM_StoreWordPictureFrom12Megapixels)->Unit(benchmark::kMillisecond);

}  // namespace

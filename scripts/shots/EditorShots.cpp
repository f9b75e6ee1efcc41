// Pictures of the editor while content is entered, for the README: a character being added (its
// earlier entries and its readings listed), a word with a chosen picture not yet stored, and the
// question before a deletion.
//   kovu_editor_shots <kovu.mdb> <output folder>
#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "editor/EditorPage.h"
#include "platform/Dialogs.h"
#include "platform/ImageCodec.h"
#include "platform/Platform.h"

namespace {

using namespace kovu;
using shots::choose;
using shots::clickEntry;
using shots::clickGridRow;
using shots::clickScope;
using shots::save;
using shots::settle;

// The real message boxes; the file dialog answers with the prepared picture.
class ShotDialogs : public QtDialogs {
public:
    QString file;
    QString openFile(const QString&, const QString&, const QString&) override { return file; }
};

QVariant scalar(const QString& db, const QString& sql) {
    Connection c;
    c.open(db, kDatabasePassword);
    return c.scalar(sql);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out = shots::prepare(argc, argv, "kovu_editor_shots", dir, "UPDATE yesz SET 课本号 = 1");
    if (out.isEmpty()) return 1;
    const QString db = dir.filePath("kovu.mdb");
    // A character of the delivered lessons with several readings in the dictionary.
    const QString ch =
        scalar(
            db,
            "SELECT 文字 FROM yepy WHERE 文字 IN (SELECT 汉字 FROM yefc GROUP BY 汉字 HAVING count(*) > 1) "
            "AND 编号 NOT LIKE '102%' ORDER BY rowid LIMIT 1")
            .toString();
    // A counting picture of the delivered database serves as the word's picture file.
    const QString picture = dir.filePath("apple.jpg");
    {
        QFile f(picture);
        f.open(QIODevice::WriteOnly);
        f.write(scalar(db, "SELECT 图片 FROM yetl ORDER BY rowid LIMIT 1").toByteArray());
    }

    Platform platform;
    auto dialogs = std::make_unique<ShotDialogs>();
    ShotDialogs* dlg = dialogs.get();
    dlg->file = picture;
    platform.setDialogs(std::move(dialogs));
    TfrmKovu form(platform, dir.path());
    dlg->setParent(&form);
    form.show();
    settle();
    EditorPage* lr = form.tasLr;
    bool ok = true;

    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    form.pagSz->setCurrentWidget(lr);
    choose(lr->cboKt, 0);
    clickScope(lr, 1);
    clickEntry(lr->lstK1, 1);
    clickScope(lr, 2);
    QTest::mouseClick(lr->spbTj, Qt::LeftButton);
    lr->edtKm->setFocus();
    QTest::sendKeyEvent(QTest::Click, lr->edtKm, Qt::Key_unknown, ch, Qt::NoModifier);
    ok &= save(&form, out + "/editor-adding-character.png");
    QTest::mouseClick(lr->spbXg, Qt::LeftButton);

    // The delete question over the page, grabbed from the screen while it is open.
    clickGridRow(lr, 0);
    QTimer::singleShot(400, [&] {
        QWidget* box = QApplication::activeModalWidget();
        const QRect r = form.frameGeometry();
        const bool saved = form.screen()
                               ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
                               .save(out + "/editor-delete-question.png");
        std::printf("%s %s\n", saved ? "wrote" : "could not write",
                    qPrintable(out + "/editor-delete-question.png"));
        ok &= saved;
        if (box) QTest::keyClick(box, Qt::Key_Escape);
    });
    QTest::mouseClick(lr->spbSc, Qt::LeftButton);

    // English: a word with its chosen picture pending.
    QTest::mouseClick(lr->tabFl, Qt::LeftButton, {}, lr->tabFl->tabRect(1).center());
    choose(lr->cboKt, 0);
    clickScope(lr, 1);
    clickEntry(lr->lstK1, 3);
    clickScope(lr, 2);
    clickGridRow(lr, 0);
    QTest::mouseClick(lr->spbDy, Qt::LeftButton);
    ok &= save(&form, out + "/editor-word-picture-pending.png");
    return ok ? 0 : 1;
}

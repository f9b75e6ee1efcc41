// Pictures of the children's page for the README: the real form on a copy of the delivered
// database with two months of generated practice by three children, and the child's box on the
// arithmetic conditions at 640 x 480.
//   kovu_progress_shots <kovu.mdb> <output folder>
#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "AnswerHistory.h"
#include "ShotsCommon.h"
#include "app/TfrmKovu.h"
#include "data/Upgrade.h"
#include "platform/Platform.h"
#include "progress/Children.h"
#include "progress/ProgressPage.h"

using namespace kovu;
using shots::save;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out =
        shots::prepare(argc, argv, "kovu_progress_shots", dir, "UPDATE yesz SET 自动适应屏幕 = 0");
    if (out.isEmpty()) return 1;
    {
        Connection c;
        c.open(dir.filePath("kovu.mdb"), kDatabasePassword);
        upgradeSchema(c);
        const int hong = addChild(c, QStringLiteral("小红"), "2026-10-01T09:00:00");
        const int gang = addChild(c, QStringLiteral("小刚"), "2026-10-01T09:00:00");
        test::writeAnswerHistory(c, {1, hong, gang}, 40 * 3 * 3 * 25, QDate(2026, 10, 1));
        setCurrentChild(c, hong);
    }

    Platform platform;
    TfrmKovu form(platform, dir.path());
    form.show();
    shots::settle();
    bool ok = true;

    // The children's page: 小红's pinyin tests and mistakes.
    QTest::mouseClick(form.imgSz, Qt::LeftButton);
    form.pagSz->setCurrentWidget(form.tasXs);
    shots::choose(form.tasXs->cboKm, 1);
    ok &= save(&form, out + "/progress-page.png");

    // The arithmetic conditions with the child's box, at the main screen's 640 x 480.
    QTest::mouseClick(form.imgSs, Qt::LeftButton);
    ok &= save(&form, out + "/conditions-child.png");
    return ok ? 0 : 1;
}

// kovu_content: builds the delivered database and the form's own pictures from content/.
//   kovu_content build    --content DIR --out FILE   the database kovu.mdb
//   kovu_content form     --content DIR --out DIR    the form's pictures
//   kovu_content icons    --content DIR --out DIR --name ID   the application's icon, every size
//   kovu_content validate --db FILE                  checks a built database
//   kovu_content sheet    --db FILE --out PNG        contact sheet of every picture
//   kovu_content dict     --from GOFILE --out FILE   the dictionary source from go-pinyin's data
//   kovu_content strokes  --content DIR --out FILE   the stroke data file and its licence beside it
#include <QDir>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "Build.h"
#include "Source.h"
#include "Strokes.h"
#include "data/Connection.h"
#include "platform/Errors.h"
#include "platform/Fonts.h"

using namespace kovu;
using namespace kovu::content;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: kovu_content build    --content DIR --out FILE\n"
                 "       kovu_content form     --content DIR --out DIR\n"
                 "       kovu_content icons    --content DIR --out DIR --name ID\n"
                 "       kovu_content validate --db FILE\n"
                 "       kovu_content sheet    --db FILE --out PNG\n"
                 "       kovu_content dict     --from pinyin_dict.go --out FILE\n"
                 "       kovu_content strokes  --content DIR --out FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installChineseFonts();
    const QStringList args = app.arguments();
    auto opt = [&](const QString& name) {
        const int i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
    };
    const QString cmd = args.value(1);
    try {
        if (cmd == "build" && !opt("--content").isEmpty() && !opt("--out").isEmpty()) {
            const BuildReport r = buildDatabase(opt("--content"), opt("--out"));
            std::printf("kovu_content: built %s in %lld ms: %d rows, %d pictures, %.2f MB\n",
                        qPrintable(opt("--out")), r.milliseconds, r.rows, r.pictures, r.bytes / 1048576.0);
            return 0;
        }
        if (cmd == "form" && !opt("--content").isEmpty() && !opt("--out").isEmpty()) {
            writeFormPictures(opt("--content"), opt("--out"));
            return 0;
        }
        if (cmd == "icons" && !opt("--content").isEmpty() && !opt("--out").isEmpty() &&
            !opt("--name").isEmpty()) {
            writeAppIcons(opt("--content"), opt("--out"), opt("--name"));
            return 0;
        }
        if ((cmd == "validate" || cmd == "sheet") && !opt("--db").isEmpty()) {
            Connection db;
            db.open(opt("--db"), kDatabasePassword);
            if (cmd == "sheet") {
                if (opt("--out").isEmpty()) return usage();
                writeContactSheet(db, opt("--out"));
                return 0;
            }
            const QStringList problems = validateDatabase(db);
            for (const QString& p : problems)
                std::fprintf(stderr, "%s: %s\n", qPrintable(opt("--db")), qPrintable(p));
            if (problems.isEmpty()) std::printf("%s: sound\n", qPrintable(opt("--db")));
            return problems.isEmpty() ? 0 : 1;
        }
        if (cmd == "strokes" && !opt("--content").isEmpty() && !opt("--out").isEmpty()) {
            const StrokeReport r = buildStrokeFile(opt("--content"), opt("--out"));
            std::printf("kovu_content: %d characters, %d strokes written to %s, %.2f MB\n", r.characters,
                        r.strokes, qPrintable(opt("--out")), r.bytes / 1048576.0);
            return 0;
        }
        if (cmd == "dict" && !opt("--from").isEmpty() && !opt("--out").isEmpty()) {
            const int n = convertDictionary(opt("--from"), opt("--out"));
            std::printf("kovu_content: %d characters written to %s\n", n, qPrintable(opt("--out")));
            return 0;
        }
    } catch (const SourceError& e) {
        // Name the file under the content folder, so an editor can jump to the line.
        const QString dir = opt("--content");
        const QString file =
            dir.isEmpty() || e.file().startsWith('/') ? e.file() : QDir(dir).filePath(e.file());
        std::fprintf(stderr, "%s\n", qPrintable(SourceError(file, e.line(), e.message()).text()));
        return 1;
    } catch (const KovuError& e) {
        std::fprintf(stderr, "kovu_content: %s\n", qPrintable(e.message()));
        return 1;
    }
    return usage();
}

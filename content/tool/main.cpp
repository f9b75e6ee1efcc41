// kovu_content: builds the delivered database and the form's own pictures from content/.
//   kovu_content build --content DIR --out FILE   the database kovu.mdb
//   kovu_content form  --content DIR --out DIR    the form's pictures
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <cstdio>

#include "data/Connection.h"
#include "data/ImageCodec.h"
#include "data/Schema.h"
#include "platform/Errors.h"

using namespace kovu;

namespace {

QImage drawPlaceholder(int w, int h, const QColor& bg, const QString& text) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(bg);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f("Noto Sans CJK SC");
    f.setPixelSize(std::max(8, h / 3));
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(img.rect(), Qt::AlignCenter, text);
    return img;
}

int build(const QString& contentDir, const QString& out) {
    (void)contentDir;
    const QString tmp = out + ".building";
    QFile::remove(tmp);
    {
        QFile f(tmp);
        if (!f.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(tmp));
            return 1;
        }
    }
    {
        Connection c;
        c.open(tmp, kDatabasePassword);
        Transaction t(c);
        createSchema(c);
        c.exec("INSERT INTO yesz (自动适应屏幕, 不显示例图, 算术类型, 最大数字, 图例图片, 课本号, 课题号, 英课本, "
               "英课题, 标注声调, 声调去分, 拼音排序, 输入法, 帮助) VALUES (0, 0, 0, 9, 0, 1, 1, 1, 1, 1, '20', 0, 0, ?)",
               {QStringLiteral("《Kovu》")});
        const struct {
            const char* code;
            const char* text;
            bool bitmap;
            int w, h;
        } pics[] = {{"bz", "?", true, 34, 34},  {"pi", "拼", true, 34, 34}, {"yi", "A", true, 34, 34},
                    {"fh", "<", true, 34, 34},  {"su", "+", true, 34, 34},  {"sz", "设", true, 34, 34},
                    {"bj", "", false, 400, 300}, {"ss", "算术", false, 400, 300}, {"py", "拼音", false, 400, 300},
                    {"yy", "英语", false, 400, 300}, {"zq", "对", false, 400, 300}, {"cw", "错", false, 400, 300},
                    {"dh", "√", false, 160, 133}, {"ch", "×", false, 160, 133}};
        for (const auto& p : pics) {
            const QImage img = drawPlaceholder(p.w, p.h, QColor(255, 250, 220), QString::fromUtf8(p.text));
            const QByteArray bytes = p.bitmap ? encodeBitmap(img) : encodeJpeg(img, 90);
            c.exec("INSERT INTO yetp (图号, 图片) VALUES (?, ?)", {QString::fromLatin1(p.code), bytes});
        }
        t.commit();
    }
    QFile::remove(out);
    if (!QFile::rename(tmp, out)) {
        std::fprintf(stderr, "cannot rename %s\n", qPrintable(tmp));
        return 1;
    }
    return 0;
}

int form(const QString& contentDir, const QString& outDir) {
    (void)contentDir;
    QDir().mkpath(outDir);
    const struct {
        const char* file;
        int w, h;
        const char* text;
    } pics[] = {{"imgBt.png", 250, 34, "Kovu 小学练习"}, {"imgFm.jpg", 628, 390, "Kovu"}, {"imgGb.png", 34, 34, "关"},
                {"imgFx.jpg", 337, 99, "复习"},         {"imgYd.png", 309, 95, "请键入调号:"},
                {"imgCh.png", 40, 40, "×"},             {"imgC1.png", 40, 40, "×"},
                {"Image2.png", 16, 16, "K"},            {"kovu.png", 64, 64, "K"}};
    for (const auto& p : pics) {
        const QImage img = drawPlaceholder(p.w, p.h, QColor(220, 240, 255), QString::fromUtf8(p.text));
        if (!img.save(QDir(outDir).filePath(p.file))) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto opt = [&](const QString& name) {
        const int i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString();
    };
    try {
        if (args.size() > 1 && args.at(1) == "build") return build(opt("--content"), opt("--out"));
        if (args.size() > 1 && args.at(1) == "form") return form(opt("--content"), opt("--out"));
    } catch (const KovuError& e) {
        std::fprintf(stderr, "kovu_content: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::fprintf(stderr, "usage: kovu_content build|form --content DIR --out PATH\n");
    return 2;
}

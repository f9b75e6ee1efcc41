#include <QPainter>

#include "Build.h"
#include "data/Connection.h"
#include "platform/ImageCodec.h"
#include "data/Query.h"
#include "platform/Errors.h"

namespace kovu::content {

namespace {

struct Tile {
    QImage image;
    QString label;
    bool natural = false;  // small pictures are shown at their own size and three times enlarged
};

}  // namespace

void writeContactSheet(Connection& db, const QString& outPng) {
    std::vector<Tile> tiles;
    Query q(db, "sheet");
    q.setSql("SELECT 图号, 图片 FROM yetp ORDER BY rowid");
    q.open();
    for (size_t i = 0; !q.eof() && i < screenRoles().size(); q.next(), ++i) {
        const bool bmp = screenRoles()[i].format == PictureFormat::Bitmap;
        tiles.push_back({bmp ? decodeBitmap(q.blob(1)) : decodeJpeg(q.blob(1)), "yetp " + q.text(0), bmp});
    }
    q.setSql("SELECT 图号, 图片, 图名 FROM yetl ORDER BY rowid");
    q.open();
    for (q.first(); !q.eof(); q.next())
        tiles.push_back({decodeJpeg(q.blob(1)), q.text(0) + " " + q.text(2), true});
    q.setSql("SELECT 英语, 汉语, 图片 FROM yydc ORDER BY rowid");
    q.open();
    for (q.first(); !q.eof(); q.next())
        tiles.push_back({q.isNull(2) ? QImage() : decodeJpeg(q.blob(2)), q.text(0) + " " + q.text(1)});
    q.close();

    const int cols = 8, cw = 170, ch = 150, pic = 120;
    const int rows = int(tiles.size() + cols - 1) / cols;
    QImage sheet(cols * cw, std::max(1, rows) * ch, QImage::Format_RGB888);
    sheet.fill(QColor(235, 235, 235));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont f("Noto Sans CJK SC");
    f.setPixelSize(13);
    p.setFont(f);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const QRect cell(int(i % cols) * cw, int(i / cols) * ch, cw, ch);
        p.fillRect(cell.adjusted(2, 2, -2, -2), Qt::white);
        const Tile& t = tiles[i];
        if (t.image.isNull()) {
            p.setPen(Qt::red);
            p.drawText(cell.adjusted(0, 0, 0, -22), Qt::AlignCenter, "(no picture)");
        } else if (t.natural) {
            // Own size at the left, three times enlarged at the right.
            p.drawImage(cell.left() + 8, cell.top() + 10, t.image);
            const QSize big = t.image.size() * 3;
            p.drawImage(QRect(QPoint(cell.right() - 8 - big.width(), cell.top() + 10), big), t.image);
        } else {
            const QSize s = t.image.size().scaled(QSize(cw - 10, pic), Qt::KeepAspectRatio);
            p.drawImage(QRect(QPoint(cell.left() + (cw - s.width()) / 2, cell.top() + 4), s), t.image);
        }
        p.setPen(Qt::black);
        p.drawText(QRect(cell.left() + 4, cell.bottom() - 22, cw - 8, 20), Qt::AlignCenter, t.label);
    }
    p.end();
    if (!sheet.save(outPng, "PNG")) fail("cannot write " + outPng);
}

}  // namespace kovu::content

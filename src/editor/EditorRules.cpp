#include "editor/EditorRules.h"

#include <sqlcipher/sqlite3.h>

#include <QPainter>
#include <algorithm>
#include <utility>
#include <vector>

#include "data/Connection.h"
#include "platform/ImageCodec.h"
#include "data/Numbering.h"
#include "platform/Gbk.h"

namespace kovu {

QString missingFieldsText(int scope, bool pinyin, const QString& number, const QString& name,
                          const QString& third, const QString& fourth) {
    QString text;
    if (number.isEmpty()) text += scope == 0 ? QStringLiteral("课本号;") : QStringLiteral("编号;");
    if (!name.isEmpty() && scope == 2 && pinyin && !gbk::isSingleDoubleByteChar(name))
        text += QStringLiteral("“文字”框中只能输入一位汉字！请修改。");
    if (name.isEmpty()) {
        if (scope == 0)
            text += QStringLiteral("课本名称;");
        else if (scope == 1)
            text += QStringLiteral("课题名称;");
        else
            text += pinyin ? QStringLiteral("文字;") : QStringLiteral("单词;");
    }
    if (scope == 2) {
        if (pinyin && std::any_of(third.begin(), third.end(), [](QChar ch) { return ch.unicode() >= 0x80; }))
            text += QStringLiteral("“拼音”文字框中只能输入拼音字母！请修改。");
        if (third.isEmpty()) text += pinyin ? QStringLiteral("拼音;") : QStringLiteral("汉语");
        if (pinyin && fourth.isEmpty()) text += QStringLiteral("声调;");
        const bool toneDigit =
            fourth.size() == 1 && fourth[0] >= QLatin1Char('0') && fourth[0] <= QLatin1Char('4');
        if (pinyin && !fourth.isEmpty() && !toneDigit)
            text += QStringLiteral("“声调”框中只能输入0到4中的一个数字！请修改。");
    }
    return text;
}

QString trimmedEntry(const QString& typed) { return typed.trimmed(); }

void splitReading(const QString& reading, QString* pinyin, QString* tone) {
    const QChar last = reading.isEmpty() ? QChar() : reading.back();
    if (last >= QLatin1Char('1') && last <= QLatin1Char('4')) {
        *pinyin = reading.left(reading.size() - 1);
        *tone = QString(last);
    } else {
        *pinyin = reading;
        *tone = QStringLiteral("0");
    }
}

QString numberWithoutGroups(const QString& itemNumber, const QString& x) {
    QString out;
    for (const QString& g : numberGroups(itemNumber))
        if (g.left(x.size()) != x) out += g;
    return out;
}

namespace {

// rowid and 编号 of every row of table that the condition picks.
std::vector<std::pair<qint64, QString>> numbersOf(Connection& c, const QString& table, const QString& where,
                                                  const QVariantList& binds) {
    std::vector<std::pair<qint64, QString>> out;
    sqlite3_stmt* st = c.prepare("SELECT rowid, 编号 FROM " + table + " WHERE " + where, binds);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out.emplace_back(sqlite3_column_int64(st, 0), columnValue(st, 1).toString());
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) c.raiseError(QStringLiteral("读取编号失败"));
    return out;
}

bool hasGroupOf(const QString& number, const QString& x) {
    for (const QString& g : numberGroups(number))
        if (g.left(x.size()) == x) return true;
    return false;
}

}  // namespace

int removeGroupFromItems(Connection& c, const QString& itemTable, const QString& x) {
    int changed = c.exec("DELETE FROM " + itemTable + " WHERE length(编号) = 3 AND substr(编号, 1, ?) = ?",
                         {static_cast<int>(x.size()), x});
    // Every shared item that holds a group of x loses it, wherever the group stands.
    for (const auto& [rowid, number] : numbersOf(c, itemTable, kSharedItemSql, {})) {
        if (!hasGroupOf(number, x)) continue;
        const QString rest = numberWithoutGroups(number, x);
        if (rest.isEmpty())
            c.exec("DELETE FROM " + itemTable + " WHERE rowid = ?", {rowid});
        else
            c.exec("UPDATE " + itemTable + " SET 编号 = ? WHERE rowid = ?", {rest, rowid});
        ++changed;
    }
    return changed;
}

namespace {

// Replaces the first from.size() characters of every group that starts with from.
void carryIntoItems(Connection& c, const QString& itemTable, const QString& from, const QString& to) {
    for (const auto& [rowid, number] : numbersOf(c, itemTable, "instr(编号, ?) > 0", {from})) {
        if (!hasGroupOf(number, from)) continue;
        QString renumbered;
        for (const QString& g : numberGroups(number))
            renumbered += g.left(from.size()) == from ? to + g.mid(from.size()) : g;
        // An incomplete trailing piece stays as it was.
        renumbered += number.mid(numberGroups(number).size() * 3);
        c.exec("UPDATE " + itemTable + " SET 编号 = ? WHERE rowid = ?", {renumbered, rowid});
    }
}

}  // namespace

void renumberLesson(Connection& c, const QString& itemTable, const QString& from, const QString& to) {
    if (from == to) return;
    carryIntoItems(c, itemTable, from, to);
}

void renumberTextbook(Connection& c, const QString& lessonTable, const QString& itemTable,
                      const QString& from, const QString& to) {
    if (from == to) return;
    c.exec("UPDATE " + lessonTable + " SET 编号 = ? || substr(编号, 2) WHERE " + kTextbookMemberSql,
           {to, from});
    carryIntoItems(c, itemTable, from, to);
}

bool validTextbookNumber(const QString& n) { return n.size() == 1 && n[0] >= '1' && n[0] <= '9'; }

bool validLessonNumber(const QString& n, const QString& textbook) {
    if (n.size() != 3 || n.left(1) != textbook) return false;
    for (QChar ch : n)
        if (ch < '0' || ch > '9') return false;
    return n.mid(1) != QStringLiteral("00");
}

QRect pendingPicturePlacement(QSize picture) {
    const int w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0) return {432, 50, 180, 292};
    if (static_cast<double>(w) / h <= 0.6164) {
        const int width = std::max(1, w * 292 / h);
        return {432 + (180 - width) / 2, 50, width, 292};
    }
    return {432, 50, 180, std::max(1, h * 180 / w)};
}

QSize storedPictureSize(QSize picture) {
    const int w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0) return picture;
    // A very thin picture keeps at least one pixel a side, so that it can still be stored.
    if (static_cast<double>(w) / h <= 1.333) return h > 300 ? QSize(std::max(1, w * 300 / h), 300) : picture;
    return w > 400 ? QSize(400, std::max(1, h * 400 / w)) : picture;
}

QByteArray wordPictureJpeg(const QImage& picture) {
    const QSize size = storedPictureSize(picture.size());
    QImage out(size, QImage::Format_RGB888);
    out.fill(Qt::white);
    {
        QPainter p(&out);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(QRect(QPoint(0, 0), size), picture);
    }
    return encodeJpeg(out, 90);
}

}  // namespace kovu

#include "data/Numbering.h"

#include "platform/Errors.h"

namespace kovu {

bool belongsToLesson(const QString& itemNumber, const QString& lesson) {
    if (lesson.isEmpty()) return false;
    const qsizetype i = itemNumber.indexOf(lesson, 0, Qt::CaseSensitive);
    return i >= 0 && (i + 1) % 3 == 1;
}

bool isSharedItem(const QString& itemNumber) { return itemNumber.size() > 3; }

QString textbookOf(const QString& number) { return number.left(1); }

QStringList numberGroups(const QString& itemNumber) {
    QStringList out;
    for (qsizetype i = 0; i + 3 <= itemNumber.size(); i += 3) out << itemNumber.mid(i, 3);
    return out;
}

QString textbookEntry(const QString& number, const QString& name) { return number + "." + name; }

QString lessonEntry(const QString& number, const QString& name) { return number + "." + name; }

QString proposeNumber(int scope, const QString& lastNumber, const QString& textbookEntryText) {
    QString proposal;
    if (!lastNumber.isEmpty()) {
        bool ok = false;
        const int n = lastNumber.trimmed().toInt(&ok);
        if (!ok) fail(QStringLiteral("“%1”不是有效的整数。").arg(lastNumber));
        // Nine textbooks per tab and 99 lessons per textbook: beyond that the increment leaves the
        // numbering (10, or 200 inside textbook 2's range).
        if (scope == 0 && n >= 9) return QString();
        if (scope != 0 && n % 100 >= 99) return QString();
        proposal = QString::number(n + 1);
    } else if (scope == 0) {
        proposal = QStringLiteral("1");
    } else {
        const QString d = textbookOfEntry(textbookEntryText);
        if (d.isEmpty()) return QString();
        proposal = d + QStringLiteral("01");
    }
    return proposal.left(3);
}

QString itemNumberProblems(const QString& number, const std::function<bool(const QString&)>& lessonExists) {
    QString list;
    auto add = [&list](const QString& line) {
        if (!list.isEmpty()) list += '\n';
        list += line;
    };
    if (number.size() % 3 != 0) add(QStringLiteral("(字数不对，应等于3的倍数)"));
    const QStringList groups = numberGroups(number);
    for (const QString& g : groups)
        if (!lessonExists(g)) add(QStringLiteral("(编号[%1]不存在！)").arg(g));
    for (qsizetype i = 0; i + 1 < groups.size(); ++i)
        if (groups.at(i) == groups.at(i + 1))
            add(QStringLiteral("(编号有重复！%1 = %2)").arg(groups.at(i), groups.at(i + 1)));
    return list;
}

QString itemNumberMessage(const QString& problems) {
    return QStringLiteral("编号输入格式错误！请修改。") + "\n\n" + problems;
}

}  // namespace kovu

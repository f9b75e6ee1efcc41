#pragma once

#include <QColor>
#include <QString>

// The captions and hint texts of the practice screen that carry the state of a question: the
// handlers compare them, so each is written once, here.
namespace kovu::captions {

inline const QString kStart = QStringLiteral("开 始");
// The answer button: waiting for an answer, then judged.
inline const QString kConfirm = QStringLiteral("确定或回车");
inline const QString kNextSum = QStringLiteral("下题或回车");
inline const QString kNextItem = QStringLiteral("下字或回车");
// The message line after a tone: this question's tone is judged.
inline const QString kToneRight = QStringLiteral("声调对！");
inline const QString kToneWrong = QStringLiteral("声调错！");
// The score button.
inline const QString kScore = QStringLiteral("成绩(&C)");
inline const QString kCloseScore = QStringLiteral("关成绩(&C)");
// The hint line.
inline const QString kWaitHint = QStringLiteral("用键盘输入答案后回车或确定");
inline const QString kNextHint = QStringLiteral("请按回车或确定显示下题");
inline const QString kToneHint = QStringLiteral("用键盘输入声调后回车或确定");
// The message line's background: asking, right, wrong.
inline const QColor kAskColour{0, 255, 0};
inline const QColor kRightColour{0, 255, 255};
inline const QColor kWrongColour{255, 255, 0};

}  // namespace kovu::captions

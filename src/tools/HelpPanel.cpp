#include "tools/HelpPanel.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextDocument>

#include "data/Settings.h"
#include "platform/ErrorHandler.h"

namespace kovu {

namespace {

const QColor kLabelBlue(0, 0, 255);
const QColor kLabelRed(255, 0, 0);
const QColor kHoverOrange(255, 127, 0);
const QString kContentsTarget = QStringLiteral("《Kovu》");
const QString kEndMark = QStringLiteral("----");
constexpr int kLabelPoints = 9;
constexpr int kTitlePoints = 10;

void styleLabel(QLabel* l, const QColor& colour, bool bold, bool underline) {
    setTextColor(l, colour);
    QFont f = l->font();
    f.setBold(bold);
    f.setUnderline(underline);
    l->setFont(f);
}

// Position of text in the document of redBz, searched from the start and case-sensitively; -1
// when it is not there.
int findInText(QTextEdit* edit, const QString& text) {
    const QTextCursor c = edit->document()->find(text, 0, QTextDocument::FindCaseSensitively);
    return c.isNull() ? -1 : c.selectionStart();
}

void putCaret(QTextEdit* edit, int position) {
    QTextCursor c(edit->document());
    c.setPosition(position);
    edit->setTextCursor(c);
    edit->ensureCursorVisible();
}

}  // namespace

HelpPanel::HelpPanel(FormContext& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx) {
    setObjectName("panBz");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(641, 43, 629, 386);

    Bevel7 = makeControl<TBevel>(this, "Bevel7", 5, 6, 106, 372);
    redBz = makeControl<QTextEdit>(this, "redBz", 116, 6, 505, 372);
    redBz->setReadOnly(true);
    redBz->setAcceptRichText(true);
    redBz->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    redBz->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont textFont(QStringLiteral("宋体"));
    textFont.setPixelSize(13);
    redBz->setFont(textFont);
    redBz->document()->setDefaultFont(textFont);

    // The context menu of the text: copying the selection; the text is read-only, so cutting and
    // pasting are offered greyed.
    redBzMenu = new QMenu(redBz);
    redBzMenu->setObjectName("redBzMenu");
    QAction* copy = redBzMenu->addAction(QStringLiteral("复制(&F)"));
    copy->setObjectName("mnuFz");
    QAction* cut = redBzMenu->addAction(QStringLiteral("剪切(&J)"));
    cut->setObjectName("mnuJq");
    redBzMenu->addSeparator();
    QAction* paste = redBzMenu->addAction(QStringLiteral("粘贴(&T)"));
    paste->setObjectName("mnuZt");
    cut->setEnabled(false);
    paste->setEnabled(false);
    connect(copy, &QAction::triggered, this, guarded([this] { redBz->copy(); }));
    redBz->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(redBz, &QWidget::customContextMenuRequested, this,
            guarded([this](const QPoint& pos) { showContextMenu(pos); }));

    struct LabelDesign {
        const char* name;
        const char* caption;
    };
    static const LabelDesign labels[] = {
        {"lblB1", "1 基本概况"},       {"lblB2", "2 软件安装"},       {"lbl21", "2.1 网上下载版"},
        {"lbl24", "2.2 建立快捷方式"}, {"lblB3", "3 软件使用"},       {"lbl31", "3.1 本软件的启动"},
        {"lbl32", "3.2 算术练习使用"}, {"lbl33", "3.3 拼音练习使用"}, {"lbl34", "3.4 英语练习使用"},
        {"lblB4", "4 软件设置"},       {"lbl41", "4.1 更换图片"},     {"lbl42", "4.2 录入生字"},
        {"lbl43", "4.3 录入单词"},     {"lbl44", "4.4 压缩数据库"},   {"lblB5", "5 使用帮助"},
        {"lblB7", "附注："},
    };
    lbl00 = makeControl<QLabel>(this, "lbl00", 10, 17, 96, 16);
    lbl00->setText(QStringLiteral("目 录"));
    lbl00->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Sizes in points, as every other control has them, so the list keeps its proportion to the rest
    // of the window on any screen; at 96 dots an inch they are the design's 12 and 13 pixels, the
    // sizes at which the longest caption fits the frame.
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPointSize(kTitlePoints);
    lbl00->setFont(titleFont);
    chapterLabels << lbl00;
    int top = 34;
    for (const LabelDesign& d : labels) {
        auto* l = makeControl<QLabel>(this, d.name, 10, top, 98, 17);
        l->setText(QString::fromUtf8(d.caption));
        QFont f(QStringLiteral("宋体"));
        f.setPointSize(kLabelPoints);
        l->setFont(f);
        chapterLabels << l;
        top += 20;
    }
    for (QLabel* l : chapterLabels) {
        l->setCursor(Qt::PointingHandCursor);
        l->setMouseTracking(true);
        l->installEventFilter(this);
        // The normal look, as restoring gives it.
        HoverLabel = l;
        RestoreHelpLabel();
    }
    HoverLabel = nullptr;
    hide();
}

bool HelpPanel::isChapterName(const QLabel* label) {
    const QString n = label->objectName();
    return n.size() >= 4 && (n.at(3) == 'B' || n.at(3) == '0');
}

QString HelpPanel::chapterTarget(const QLabel* label) {
    return label->objectName() == "lbl00" ? kContentsTarget : label->text();
}

void HelpPanel::LoadHelpText() {
    Query& q = m_ctx.db.aquSb;
    openSettingsRow(q);
    const QString text = q.text("帮助");
    q.close();
    redBz->clear();
    // Rich text is shown with its markup interpreted, plain text as it stands.
    if (Qt::mightBeRichText(text))
        redBz->setHtml(text);
    else
        redBz->setPlainText(text);
    redBz->setAcceptRichText(true);
    putCaret(redBz, 0);
}

void HelpPanel::JumpToHelpChapter(QLabel* label) {
    const int target = findInText(redBz, chapterTarget(label));
    if (target < 0) return;
    // First to the mark at the end of the text (or the end itself), then back to the chapter, so
    // that the chapter's heading stands at the top of the view.
    int mark = findInText(redBz, kEndMark);
    if (mark < 0) mark = redBz->document()->characterCount() - 1;
    redBz->setFocus();
    putCaret(redBz, mark);
    putCaret(redBz, target);
}

void HelpPanel::HighlightHelpLabel() {
    if (!HoverLabel) return;
    styleLabel(HoverLabel, kHoverOrange, isChapterName(HoverLabel), true);
}

void HelpPanel::RestoreHelpLabel() {
    if (!HoverLabel) return;
    if (HoverLabel == lbl00)
        styleLabel(HoverLabel, kLabelRed, true, false);
    else
        styleLabel(HoverLabel, kLabelBlue, isChapterName(HoverLabel), false);
}

void HelpPanel::showContextMenu(const QPoint& pos) {
    redBzMenu->actions().first()->setEnabled(redBz->textCursor().hasSelection());
    redBzMenu->popup(redBz->viewport()->mapToGlobal(pos));
}

bool HelpPanel::eventFilter(QObject* o, QEvent* e) {
    auto* label = qobject_cast<QLabel*>(o);
    if (!label || !chapterLabels.contains(label)) return QFrame::eventFilter(o, e);
    runGuarded([&] {
        switch (e->type()) {
            case QEvent::MouseMove:
                if (HoverLabel && HoverLabel != label) RestoreHelpLabel();
                HoverLabel = label;
                HighlightHelpLabel();
                break;
            case QEvent::Leave:
                RestoreHelpLabel();
                break;
            case QEvent::MouseButtonRelease: {
                auto* me = static_cast<QMouseEvent*>(e);
                if (me->button() == Qt::LeftButton && label->rect().contains(me->position().toPoint()))
                    JumpToHelpChapter(label);
                break;
            }
            default:
                break;
        }
    });
    return QFrame::eventFilter(o, e);
}

}  // namespace kovu

// The crop mode of the confirmation panel: the offer after a file was opened, the cuts, the
// dragged rectangle on the working image and the store into the current row of aquTp.
#include <QMouseEvent>

#include "platform/ImageCodec.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PicturePage.h"
#include "pictures/PictureRules.h"
#include "platform/Errors.h"
#include "platform/Platform.h"

namespace kovu {

namespace {

const QString kTakeAsIs = QStringLiteral("直接选用(&K)");
const QString kTopLeft = QStringLiteral("左上裁剪(&K)");
const QString kTakeCut = QStringLiteral("确定选用(&K)");
const QString kCentre = QStringLiteral("居中裁剪(&Z)");
const QString kManual = QStringLiteral("手工裁剪(&X)");
const QString kDropCut = QStringLiteral("取消选用(&X)");

void uncheck(QRadioButton* a, QRadioButton* b) {
    a->setAutoExclusive(false);
    b->setAutoExclusive(false);
    a->setChecked(false);
    b->setChecked(false);
    a->setAutoExclusive(true);
    b->setAutoExclusive(true);
}

}  // namespace

void PicturePage::openCropPanel(const QString& title, const QString& message, bool matches, bool tooSmall) {
    ConfirmPanel* p = m_panel;
    if (!p) return;
    p->setGeometry(14, 188, 300, 225);
    p->rgpKj->hide();
    p->butZc->hide();

    p->lblZ1->setGeometry(4, 4, 292, 20);
    p->lblZ0->setGeometry(4, 4, 292, 20);
    p->Image2->setGeometry(7, 6, 16, 16);
    setBackground(p->lblZ1, Qt::green);
    setBackground(p->lblZ0, Qt::green);
    setTextColor(p->lblZ0, Qt::blue);
    p->lblZ0->setText(title);
    p->lblZ0->setToolTip(title);

    // The message's lines are aligned with blanks for a font whose Chinese characters are two
    // blanks wide; it takes the room above the cut choice when that is shown.
    setFontOf(p->lblZc, QStringLiteral("宋体"), 9);
    p->lblZc->setGeometry(6, 28, 290, matches ? 156 : 112);
    setTextColor(p->lblZc, Qt::black);
    p->lblZc->setText(message);
    p->lblZc->show();

    p->spbKs->setGeometry(17, 190, 84, 26);
    p->spbKs->setText(matches ? kTakeAsIs : kTopLeft);
    p->spbZb->setGeometry(107, 190, 84, 26);
    p->spbZb->setText(kCentre);
    p->spbQz->setGeometry(205, 190, 84, 26);
    p->spbQz->setText(kManual);
    p->spbKs->show();
    p->spbQz->show();

    p->grbCj->setGeometry(20, 142, 260, 44);
    p->spbZb->setVisible(!matches);
    p->grbCj->setVisible(!matches);
    p->grbCj->setEnabled(!matches);
    p->spbKs->setEnabled(matches);
    p->spbZb->setEnabled(false);
    p->spbQz->setEnabled(true);

    p->rabCc->setEnabled(!tooSmall);
    uncheck(p->rabCc, p->rabKg);
    p->show();
    p->raise();

    shpBk->setGeometry(imgZp->x() - 1, imgZp->y() - 1, imgZp->width() + 2, imgZp->height() + 2);
    shpBk->show();
    shpBk->raise();
    shpXz->raise();
}

void PicturePage::rabCcClick() {
    if (!m_panel) return;
    m_panel->spbKs->setEnabled(true);
    m_panel->spbZb->setEnabled(true);
    m_panel->spbQz->setEnabled(false);
}

void PicturePage::cropAction(const QString& caption) {
    ConfirmPanel* p = m_panel;
    if (caption == kTakeAsIs || caption == kTakeCut) {
        ApplyCrop('0');
    } else if (caption == kTopLeft) {
        ApplyCrop('z');
    } else if (caption == kCentre) {
        ApplyCrop('j');
    } else if (caption == kManual) {
        imgZp->setEnabled(true);
        CropDragging = false;
        CropSize = QSize(0, 0);
        shpXz->hide();
        for (QWidget* w : QList<QWidget*>{p->spbQz, p->grbCj, p->spbKs, p->spbZb}) w->setEnabled(false);
    } else if (caption == kDropCut) {
        p->hide();
    }
}

// ---------------------------------------------------------------------------------------------
// The dragged rectangle

bool PicturePage::eventFilter(QObject* o, QEvent* e) {
    if (o == imgZp && imgZp->isEnabled()) {
        switch (e->type()) {
            case QEvent::MouseButtonPress: {
                auto* m = static_cast<QMouseEvent*>(e);
                if (m->button() == Qt::LeftButton) imgZpMouseDown(m->position().toPoint());
                break;
            }
            case QEvent::MouseMove:
                imgZpMouseMove(static_cast<QMouseEvent*>(e)->position().toPoint());
                break;
            case QEvent::MouseButtonRelease: {
                auto* m = static_cast<QMouseEvent*>(e);
                if (m->button() == Qt::LeftButton) imgZpMouseUp(m->position().toPoint());
                break;
            }
            default:
                break;
        }
    }
    return QWidget::eventFilter(o, e);
}

QString PicturePage::dragStatus() const {
    return QStringLiteral(" ") + QString::number(CropStart.x()) + '*' + QString::number(CropStart.y()) +
           QStringLiteral("  ") + QString::number(roundHalfEven(CropSize.width() / ViewScale)) + '*' +
           QString::number(roundHalfEven(CropSize.height() / ViewScale));
}

void PicturePage::imgZpMouseDown(QPoint p) {
    CropDragging = true;
    shpXz->hide();
    shpXz->move(p.x() + imgZp->x(), p.y() + imgZp->y());
    CropStart = p;
    // Every drag starts from nothing: a click without a move cuts nothing.
    CropSize = QSize(0, 0);
    m_ctx.form.setStatusText(2, QString::number(roundHalfEven(p.x() / ViewScale)) + '*' +
                                    QString::number(roundHalfEven(p.y() / ViewScale)));
}

void PicturePage::imgZpMouseMove(QPoint p) {
    if (!CropDragging || p.x() < 0 || p.y() < 0 || p.x() >= imgZp->width() || p.y() >= imgZp->height())
        return;
    CropSize = dragRectangle(CropStart, p, imgZp->size(), RequiredAspect);
    if (CropSize.isEmpty()) {
        CropSize = QSize(0, 0);
        shpXz->hide();
        return;
    }
    shpXz->setPenColor(Qt::red);
    shpXz->resize(CropSize);
    shpXz->show();
    shpXz->raise();
    m_ctx.form.setStatusText(2, dragStatus());
}

void PicturePage::imgZpMouseUp(QPoint) {
    if (!CropDragging) return;
    CropDragging = false;
    if (CropSize.width() <= 0) {
        // A click, or a drag to the left or upwards: no rectangle, the user may drag again.
        shpXz->hide();
        return;
    }
    m_ctx.form.setStatusText(2, dragStatus());
    imgZp->setEnabled(false);
    ApplyCrop('s');
}

// ---------------------------------------------------------------------------------------------
// Cutting and storing

void PicturePage::showConfirmState() {
    ConfirmPanel* p = m_panel;
    p->lblZc->setText(cropDoneMessage());
    p->lblZc->setGeometry(6, 28, 290, 156);
    setTextColor(p->lblZc, Qt::red);
    p->spbKs->setText(kTakeCut);
    p->spbZb->hide();
    p->spbQz->setText(kDropCut);
    p->grbCj->hide();
    p->spbKs->setEnabled(true);
    p->spbQz->setEnabled(true);
}

void PicturePage::ApplyCrop(char mode) {
    ConfirmPanel* p = m_panel;
    if (!p) return;
    const QString first = p->spbKs->text();
    int w = 0;
    if (first != kTakeCut && mode != '0') {
        const QImage& working = imgZp->picture();
        const int n = choice();
        const CropInput in{working.size(),        requiredSize(n), RequiredAspect, SourceAspect,
                           p->rabCc->isChecked(), CropStart,       CropSize,       ViewScale};
        const QRect piece = cropPiece(mode, in);
        if (piece.isEmpty()) return;
        const QImage cut = working.copy(piece);
        if (cut.isNull()) fail(QStringLiteral("内存不足，不能裁剪图片。"));
        imgZp->setPicture(cut);
        w = piece.width();
        FitWorkingImage(aspectOf(cut.size()));
        lblGg->setText(m_shortName + QStringLiteral("\n裁剪后：") + QString::number(cut.width()) +
                       QStringLiteral(" * ") + QString::number(cut.height()) + QStringLiteral(" 缩放：") +
                       fixed4(cut.width() / 300.0));
        if (mode == 's') shpXz->hide();
        if (first != kTakeAsIs) {
            showConfirmState();
            return;
        }
    }
    if (first != kTakeCut && first != kTakeAsIs) return;
    try {
        storeWorkingPicture(mode, w);
    } catch (...) {
        // The cut stays in the working image; the user can try the store again or drop it.
        if (w > 0) showConfirmState();
        throw;
    }
}

void PicturePage::storeWorkingPicture(char mode, int cutWidth) {
    const int n = choice();
    const QSize required = requiredSize(n);
    const QImage picture =
        pictureToStore(imgZp->picture(), cutWidth, m_panel->rabKg->isChecked(), mode, required);
    const QByteArray jpeg = encodeJpeg(picture, 90);

    // The row the page shows: the query may have been pointed elsewhere meanwhile.
    Query& q = m_ctx.db.aquTp;
    if (q.state() != Query::State::Insert) ensureAddressed();
    if (q.state() == Query::State::Insert) {
        // A new example row still being entered is stored with its number, name and picture at once.
        if (edtTh->text().isEmpty() || edtTm->text().isEmpty()) {
            m_ctx.platform.dialogs().message(QStringLiteral("操作提示"),
                                             QStringLiteral("数据没录全，请填全后再保存！"),
                                             MsgIcon::Information);
            return;
        }
        q.setValue(QStringLiteral("图号"), edtTh->text());
        q.setValue(QStringLiteral("图名"), edtTm->text());
        q.setValue(QStringLiteral("图片"), jpeg);
        q.post();
        m_row = q.recNo();
        endAddition();
        showGridRow(q.recNo());
    } else {
        if (q.recNo() < 0) fail(QStringLiteral("没有要保存图片的记录，图片没有保存。"));
        q.updateCurrent({{QStringLiteral("图片"), jpeg}});
    }

    // The preview shows what was stored; the picture just encoded needs no decoding for that.
    imgZ1->setPicture(picture);
    imgZ1->show();
    FitWorkingImage(static_cast<float>(required.width()) / static_cast<float>(required.height()));
    m_panel->hide();
    m_ctx.platform.dialogs().message(QStringLiteral("设置图片"), QStringLiteral("所选择的图片已保存！"),
                                     MsgIcon::Warning);
}

}  // namespace kovu

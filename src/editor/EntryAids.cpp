#include "editor/EntryAids.h"

#include <QFile>
#include <QFileInfo>

#include "platform/ImageCodec.h"
#include "data/Numbering.h"
#include "data/PictureStore.h"
#include "data/Settings.h"
#include "editor/EditorCaptions.h"
#include "editor/EditorPage.h"
#include "editor/EditorRules.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Gbk.h"
#include "platform/Platform.h"

namespace kovu {

using namespace editor;

namespace {

const QString kChosenPicture = QStringLiteral("选择的图片");
const QString kNoInputMethod = QStringLiteral("不设置");

}  // namespace

EntryAids::EntryAids(EditorPage& page, FormContext& ctx) : m_page(page), m_ctx(ctx) {}

bool EntryAids::picturePending() const { return m_page.spbDy->text() == kStorePicture; }

void EntryAids::leavePendingPicture() {
    m_page.imgZ0->hide();
    m_page.dbgKb->show();
    m_page.lblBd->show();
}

void EntryAids::dropPendingPicture() {
    m_pendingPicture = QImage();
    if (!picturePending()) return;
    // The captions go with the picture: "录入图片(&D)" left behind would keep 添加 and 修改 from
    // doing anything.
    m_page.spbDy->setText(kChoosePicture);
    if (m_page.spbPx->text() == kDropPicture) m_page.spbPx->setText(QStringLiteral("单词排序(&P)"));
    if (m_page.lblBd->text() == kChosenPicture)
        m_page.lblBd->setText(QStringLiteral("在下表中选择要修改单词"));
}

void EntryAids::fillInputMethods() {
    m_page.cboSr->clear();
    m_page.cboSr->addItems(m_ctx.platform.inputMethods().list());
    m_page.cboSr->addItem("不设置");
    const int stored = readSetting(m_page.scratch(), "输入法").toInt();
    // A stored position outside the list (input methods removed since) shows "不设置".
    m_page.cboSr->setCurrentIndex(stored >= 0 && stored < m_page.cboSr->count() ? stored
                                                                                : m_page.cboSr->count() - 1);
    // The name box opens the chosen input method when it is entered (openInputMethod).
}

void EntryAids::openInputMethod(QLineEdit* box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, !box->isReadOnly());
    if (m_page.cboSr->currentText() != kNoInputMethod)
        m_ctx.platform.inputMethods().activate(m_page.cboSr->currentIndex());
}

void EntryAids::closeInputMethod(QLineEdit* box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ctx.platform.inputMethods().deactivate();
}

void EntryAids::edtKmEnter() {
    if (m_page.pinyinTab()) openInputMethod(m_page.edtKm);
}

void EntryAids::edtPyEnter() {
    if (!m_page.pinyinTab()) {
        openInputMethod(m_page.edtPy);
        return;
    }
    // The dictionary's reading again while an addition or modification is open.
    const bool open = m_page.spbXg->text() == kConfirm || m_page.spbXg->text() == kNextChanged ||
                      m_page.spbTj->text() == kSave || m_page.spbTj->text() == kNextNew;
    if (open) LookUpDictionaryPinyin();
}

void EntryAids::edtKhEnter() { closeInputMethod(m_page.edtKh); }

void EntryAids::edtSdEnter() { closeInputMethod(m_page.edtSd); }

void EntryAids::cboSrClick() {
    const int index = m_page.cboSr->currentIndex();
    if (index < 0) return;
    // The boxes open the chosen input method (or none) when they are entered.
    storeSettings(m_ctx.db.aquFz, {{"输入法", index}});
}

void EntryAids::spbPxClick() {
    const bool pinyin = m_page.pinyinTab();
    if (m_page.spbPx->text() == kDropPicture) {
        m_pendingPicture = QImage();
        m_page.imgZ0->hide();
        m_page.dbgKb->show();
        m_page.setGridHeight(kGridHeight);
        m_page.lblBd->setText(QStringLiteral("在下表中选择要修改单词"));
        m_page.spbDy->setText(kChoosePicture);
        m_page.spbPx->setText(QStringLiteral("单词排序(&P)"));
        return;
    }
    if (!m_page.spbPx->text().startsWith(QStringLiteral("取")))
        m_page.spbPx->setText(QStringLiteral("取消排序(&P)"));
    else
        m_page.spbPx->setText(pinyin ? QStringLiteral("文字排序(&P)") : QStringLiteral("单词排序(&P)"));
    QString sql = "SELECT * FROM " + m_page.EditTable + " WHERE " + kLessonMemberSql;
    if (m_page.spbPx->text().startsWith(QStringLiteral("取")))
        sql += pinyin ? " ORDER BY [文字]" : " ORDER BY [英语]";
    m_page.openGrid(sql, {m_page.selectedLesson()});
    // The item the boxes show keeps its row, so that 修改 and 删除 still act on it.
    if (m_page.showsItem()) m_page.standOnShownItem();
}

void EntryAids::spbDyClick() {
    if (m_page.spbDy->text() == kChoosePicture) {
        const QString file = m_ctx.platform.dialogs().openFile(
            QStringLiteral("选择图片"),
            QStringLiteral("图片文件(.bmp,.jpg)|*.bmp;*.jpg|BMP文件(.bmp)|*.bmp|JPG文件(.jpg)|*.jpg"),
            QString());
        if (file.isEmpty()) return;
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) fail(QStringLiteral("图片文件 %1 不能读出。").arg(file));
        const QByteArray bytes = f.readAll();
        // Whole pictures only: a damaged or absurd file is reported and changes nothing.
        QImage picture;
        try {
            picture = QFileInfo(file).suffix().toUpper() == QStringLiteral("BMP") ? decodeBitmap(bytes)
                                                                                  : decodeJpeg(bytes, true);
        } catch (const std::exception&) {
            m_page.message(QStringLiteral("图片文件“%1”不是完整的BMP或JPG图片，不能选用！")
                               .arg(QFileInfo(file).fileName()));
            return;
        }
        m_pendingPicture = picture;
        m_page.imgZ0->setStretch(true);
        m_page.imgZ0->setPicture(picture);
        m_page.imgZ0->setGeometry(pendingPicturePlacement(picture.size()));
        m_page.imgZ0->show();
        m_page.imgZ0->raise();
        m_page.dbgKb->hide();
        m_page.lblBd->setText(kChosenPicture);
        m_page.spbDy->setText(kStorePicture);
        m_page.spbPx->setText(kDropPicture);
        return;
    }
    if (m_page.spbDy->text() != kStorePicture || m_pendingPicture.isNull()) return;
    Query& grid = m_page.grid();
    // The picture belongs to the word the boxes show, which must be a stored row of the grid.
    if (grid.state() != Query::State::Browse || grid.recNo() < 0 || grid.text(0) != m_page.edtKh->text() ||
        grid.text(1) != m_page.edtKm->text()) {
        m_page.message(QStringLiteral("请先在右表中选择要录入图片的单词！"));
        return;
    }
    grid.updateCurrent({{QStringLiteral("图片"), wordPictureJpeg(m_pendingPicture)}});
    m_pendingPicture = QImage();
    m_page.dbgKb->show();
    m_page.setGridHeight(kGridHeight);
    m_page.imgZ0->hide();
    ShowEditorWordPicture(grid, m_page.imgZ0, m_page.dbgKb);
    m_page.lblBd->setText(QStringLiteral("在下表中选择要修改单词"));
    m_page.spbDy->setText(kChoosePicture);
    m_page.spbPx->setText(QStringLiteral("单词排序(&P)"));
}

// ---- Help while a character is typed ---------------------------------------------------------

void EntryAids::edtKmChange() {
    m_page.spbTj->setEnabled(true);
    if (!m_page.pinyinTab() || m_page.scope() != 2 || m_page.spbTj->text() == kAdd) return;
    const QString c = m_page.edtKm->text();
    m_page.scratch().setSql("SELECT count(*) AS intCs FROM yepy WHERE 文字 = ?", {c});
    m_page.scratch().open();
    const int count = m_page.scratch().integer(0);
    m_page.scratch().close();
    if (count > 0) {
        QStringList lines{QStringLiteral("原已录入：")};
        m_page.scratch().setSql("SELECT * FROM yepy WHERE 文字 = ?", {c});
        m_page.scratch().open();
        for (m_page.scratch().first(); !m_page.scratch().eof(); m_page.scratch().next())
            lines << "[" + m_page.scratch().text(0) + "]" + m_page.scratch().text(1) +
                         m_page.scratch().text(2) + " " + m_page.scratch().text(3);
        m_page.scratch().close();
        m_page.lblTz->setText(lines.join('\n'));
        m_page.lblTz->show();
    }
    if (gbk::byteLength(c) == 2) LookUpDictionaryPinyin();
}

void EntryAids::LookUpDictionaryPinyin() {
    const QString c = m_page.edtKm->text();
    if (c.isEmpty()) return;
    m_page.scratch().setSql("SELECT * FROM yefc WHERE 汉字 = ?", {c});
    m_page.scratch().open();
    QStringList readings;
    for (m_page.scratch().first(); !m_page.scratch().eof(); m_page.scratch().next())
        readings << m_page.scratch().text(1);
    m_page.scratch().close();
    if (readings.size() == 1) {
        QString py, tone;
        splitReading(readings.front(), &py, &tone);
        m_page.edtPy->setText(py);
        m_page.edtSd->setText(tone);
        m_page.edtSd->setFocus();
    } else if (readings.size() > 1) {
        m_page.lstDy->clear();
        m_page.lstDy->addItems(readings);
        // One row per reading and a margin, as many rows as there are readings; the rows are as
        // high as the list's font needs.
        m_page.lstDy->resize(m_page.lstDy->width(), readingListHeight(static_cast<int>(readings.size())));
        m_page.lstDy->show();
        m_page.lstDy->raise();
    }
}

int EntryAids::readingListHeight(int rows) const {
    const int row = std::max(12, m_page.lstDy->fontMetrics().height() + 2);
    return row * rows + 12;
}

void EntryAids::lstDyClick() {
    const QListWidgetItem* item = m_page.lstDy->currentItem();
    if (!item) return;
    QString py, tone;
    splitReading(item->text(), &py, &tone);
    m_page.edtPy->setText(py);
    m_page.edtSd->setText(tone);
    m_page.lstDy->hide();
    m_page.edtSd->setFocus();
}

void EntryAids::edtSdChange() {
    if (m_page.spbTj->text() != kAdd && m_page.spbXg->text() != kModify) CheckCharacterDuplicate();
}

void EntryAids::CheckCharacterDuplicate() {
    const QString c = m_page.edtKm->text(), p = m_page.edtPy->text(), sd = m_page.edtSd->text();
    m_page.scratch().setSql(
        "SELECT count(*) AS intJs FROM yepy WHERE 文字 = ? AND 拼音 = ? AND 音调 = ? AND (" +
            kLessonMemberSql + ")",
        {c, p, sd, m_page.selectedLesson()});
    m_page.scratch().open();
    const int f = m_page.scratch().integer(0);
    m_page.scratch().close();
    int a = 0;
    if (f > 0) {
        m_page.scratch().setSql("SELECT count(*) AS intQb FROM yefc WHERE (汉字 = ?) AND (拼音 = ?)",
                                {c, p + sd});
        m_page.scratch().open();
        a = m_page.scratch().integer(0);
        m_page.scratch().close();
        QString text =
            QStringLiteral("      已录入同一字，请不要重复录入！\n    （可按《撤消》按钮以撤消该录入！）");
        if (f != a) text += QStringLiteral("\n\n如果录入多音字，可按《添加多音字》按钮以录入！");
        m_page.message(text);
        m_page.spbTj->setEnabled(false);
    } else {
        m_page.scratch().setSql("SELECT count(*) AS intQb FROM yefc WHERE (汉字 = ?) AND (拼音 = ?)",
                                {c, p + sd});
        m_page.scratch().open();
        a = m_page.scratch().integer(0);
        m_page.scratch().close();
    }
    m_page.spbDy->setEnabled(f < a);
}

}  // namespace kovu

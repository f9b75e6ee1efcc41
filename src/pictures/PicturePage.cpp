#include "pictures/PicturePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>

#include "data/PictureStore.h"
#include "pictures/ConfirmPanel.h"
#include "pictures/PictureRules.h"
#include "platform/ErrorHandler.h"
#include "platform/Errors.h"
#include "platform/ImageCodec.h"
#include "platform/Platform.h"

namespace kovu {

namespace {

const QString kInfoTitle = QStringLiteral("操作提示");
const QString kAdd = QStringLiteral("添加(&T)");
const QString kSave = QStringLiteral("保存(&T)");
const QString kDelete = QStringLiteral("删除(&S)");
const QString kUndoAdd = QStringLiteral("撤消(&S)");
const QString kUndo = QStringLiteral("撤消(&C)");
const QString kModify = QStringLiteral("修改(&C)");
const QString kConfirm = QStringLiteral("确定(&C)");
const QString kOpen = QStringLiteral("打开(&D)");

const QString kOpenFilter =
    QStringLiteral("图片文件(.bmp,.jpg)|*.bmp;*.jpg|BMP文件(.bmp)|*.bmp|JPG文件(.jpg)|*.jpg");
const QString kSaveFilter = QStringLiteral("JPG文件(.jpg)|*.jpg|BMP文件(.bmp)|*.bmp");

}  // namespace

TDottedShape::TDottedShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TDottedShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QPen pen(m_pen);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

PicturePage::PicturePage(FormContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_model(new QueryModel(this)) {
    setObjectName("tasTp");

    Bevel6 = makeControl<TBevel>(this, "Bevel6", 2, 2, 618, 352);
    Shape2 = makeControl<TShape>(this, "Shape2", 311, 34, 308, 233);
    Shape2->setPenColor(Qt::green);
    Shape2->setPenWidth(2);
    Shape2->setBrushStyle(TShape::Brush::Clear);
    Shape1 = makeControl<TShape>(this, "Shape1", 311, 306, 308, 44);
    Shape1->setPenColor(Qt::blue);
    Shape1->setPenWidth(2);
    Shape1->setBrushStyle(TShape::Brush::Clear);

    cboZp = makeControl<QComboBox>(this, "cboZp", 8, 8, 132, 22);
    chkYd = makeControl<QCheckBox>(this, "chkYd", 150, 9, 60, 20);
    chkYd->setText(QStringLiteral("原大"));
    chkYd->setChecked(true);
    lblT1 = makeControl<QLabel>(this, "lblT1", 8, 40, 40, 20);
    lblT1->setText(QStringLiteral("图号："));
    edtTh = makeControl<QLineEdit>(this, "edtTh", 46, 39, 64, 22);
    edtTh->setReadOnly(true);
    lblTm = makeControl<QLabel>(this, "lblTm", 120, 40, 40, 20);
    lblTm->setText(QStringLiteral("图名："));
    edtTm = makeControl<QLineEdit>(this, "edtTm", 158, 39, 100, 22);
    edtTm->setReadOnly(true);
    lblSk = makeControl<QLabel>(this, "lblSk", 8, 72, 300, 18);
    setTextColor(lblSk, Qt::red);

    imgZ1 = makeControl<TImage>(this, "imgZ1", 8, 121, 300, 225);
    imgZ1->setStretch(true);
    dbgZp = makeControl<QTableView>(this, "dbgZp", 8, 210, 300, 140);
    dbgZp->setModel(m_model);
    dbgZp->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgZp->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgZp->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgZp->verticalHeader()->setDefaultSectionSize(20);
    dbgZp->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    dbgZp->hide();

    lblGg = makeControl<QLabel>(this, "lblGg", 312, 2, 306, 32);
    lblGg->setText(QStringLiteral("照片规格"));
    lblGg->setAlignment(Qt::AlignCenter);
    lblGg->setWordWrap(true);
    imgZp = makeControl<TImage>(this, "imgZp", kWorkLeft, kWorkTop, kWorkWidth, kWorkHeight);
    imgZp->setStretch(true);
    imgZp->setEnabled(false);
    imgZp->installEventFilter(this);
    shpBk = makeControl<TShape>(this, "shpBk", kWorkLeft - 1, kWorkTop - 1, kWorkWidth + 2, kWorkHeight + 2);
    shpBk->setPenColor(Qt::magenta);
    shpBk->setBrushStyle(TShape::Brush::Clear);
    shpBk->hide();
    shpXz = makeControl<TDottedShape>(this, "shpXz", kWorkLeft, kWorkTop, 28, 25);
    shpXz->hide();

    spbDk = makeControl<QPushButton>(this, "spbDk", 313, 272, 60, 26);
    spbDk->setText(kOpen);
    spbTt = makeControl<QPushButton>(this, "spbTt", 374, 272, 60, 26);
    spbTt->setText(kAdd);
    spbSt = makeControl<QPushButton>(this, "spbSt", 435, 272, 60, 26);
    spbSt->setText(kDelete);
    spbCx = makeControl<QPushButton>(this, "spbCx", 496, 272, 60, 26);
    spbCx->setText(kUndo);
    spbLc = makeControl<QPushButton>(this, "spbLc", 557, 272, 60, 26);
    spbLc->setText(QStringLiteral("另存(&L)"));
    for (QPushButton* b : {spbTt, spbSt, spbCx, spbLc}) b->setEnabled(false);

    Label9 = makeControl<QLabel>(this, "Label9", 318, 312, 78, 32);
    Label9->setText(QStringLiteral("Kovu"));
    setFontOf(Label9, QStringLiteral("Arial"), 21, true);
    setTextColor(Label9, Qt::blue);
    spbYs = makeControl<QPushButton>(this, "spbYs", 400, 315, 104, 26);
    spbYs->setText(QStringLiteral("压缩数据库(&Y)"));
    spbKj = makeControl<QPushButton>(this, "spbKj", 510, 315, 104, 26);
    spbKj->setText(QStringLiteral("建快捷方式(&J)"));

    connect(cboZp, &QComboBox::activated, this, guarded([this] { cboZpClick(); }));
    connect(dbgZp, &QTableView::clicked, this, guarded([this](const QModelIndex& i) { dbgZpCellClick(i); }));
    // The keyboard and a drag over the rows move the grid's row too: the page follows it, so the
    // row it shows is always the one a store writes.
    connect(dbgZp->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            guarded([this](const QModelIndex& current, const QModelIndex&) {
                if (!m_syncingGrid) dbgZpCellClick(current);
            }));
    // Every write reads the rows again, which leaves a grid without a current row; one that then
    // gets the focus (as after a box closes on a desktop) would go to its first row, and the page
    // with it. The grid is put back on the row the page works on.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        const Query& q = m_ctx.db.aquTp;
        if (addressed() && q.state() != Query::State::Insert && q.recNo() >= 0) showGridRow(q.recNo());
    });
    connect(spbDk, &QPushButton::clicked, this, guarded([this] { spbDkClick(); }));
    connect(spbCx, &QPushButton::clicked, this, guarded([this] { spbCxClick(); }));
    connect(spbTt, &QPushButton::clicked, this, guarded([this] { spbTtClick(); }));
    connect(spbSt, &QPushButton::clicked, this, guarded([this] { spbStClick(); }));
    connect(spbLc, &QPushButton::clicked, this, guarded([this] { spbLcClick(); }));
    connect(edtTh, &QLineEdit::textChanged, this, guarded([this] { edtThChange(); }));
    connect(edtTm, &QLineEdit::textChanged, this, guarded([this] { edtTmChange(); }));
}

void PicturePage::attachConfirmPanel(ConfirmPanel* panel) {
    m_panel = panel;
    panel->cropAction = [this](const QString& caption) { cropAction(caption); };
    connect(panel->rabCc, &QRadioButton::clicked, this, guarded([this] { rabCcClick(); }));
    connect(panel->rabKg, &QRadioButton::clicked, this, guarded([this] { rabCcClick(); }));
}

int PicturePage::choice() const { return choiceNumber(cboZp->currentText()); }

bool PicturePage::cropPanelOpen() const {
    return m_panel && m_panel->isVisible() && m_panel->spbQz->text() != ConfirmPanel::kShortcutCancel;
}

bool PicturePage::additionPending() const { return spbTt->text() == kSave; }

QString PicturePage::promptFor(const QString& name) const {
    return QStringLiteral("请先打开要替换[") + name + QStringLiteral("]的图片");
}

// ---------------------------------------------------------------------------------------------
// Opening the page and addressing a choice

void PicturePage::OpenPicturePage() {
    cboZp->clear();
    cboZp->addItems(pictureChoices());
    cboZp->setCurrentIndex(0);
    // The preview starts from the arithmetic title picture; a missing one only leaves the preview
    // empty, which the choice below reports.
    try {
        PracticePictureArea none;
        ShowScreenPicture(m_ctx.db.aquTp, none, imgZ1, QStringLiteral("ss"));
    } catch (const KovuError&) {
        imgZ1->clearPicture();
    }
    m_opened = true;
    cboZpClick();
}

void PicturePage::pagSzChange(QWidget* page) {
    if (!m_opened) return;
    if (page != this) {
        // The editor points aquTp elsewhere; a crop panel left open would store into its rows.
        if (cropPanelOpen()) closeCropPanel();
        return;
    }
    ensureAddressed();
}

bool PicturePage::addressed() const {
    const Query& q = m_ctx.db.aquTp;
    return q.isOpen() && q.sql() == m_addressedSql && q.binds() == m_addressedBinds;
}

void PicturePage::addressChoice(int n, int row) {
    Query& q = m_ctx.db.aquTp;
    q.close();
    if (n >= 8)
        q.setSql(QStringLiteral("SELECT * FROM yetl"));
    else
        q.setSql(QStringLiteral("SELECT * FROM yetp WHERE 图号 = ?"), {choiceCode(n)});
    q.open();
    if (row > 0 && row < q.recordCount()) q.moveTo(row);
    m_row = q.recNo();
    m_addressedSql = q.sql();
    m_addressedBinds = q.binds();
    m_model->setQuery(&q);
}

void PicturePage::ensureAddressed() {
    const int n = choice();
    if (n < 1 || addressed()) return;
    const int row = m_row;
    addressChoice(n, row);
    // A new example row that was being entered is pending again, with what the boxes hold.
    if (n >= 8 && additionPending()) m_ctx.db.aquTp.append();
    if (n >= 8 && m_ctx.db.aquTp.recNo() >= 0 && !additionPending()) showGridRow(m_ctx.db.aquTp.recNo());
}

void PicturePage::cboZpClick() {
    const int n = choice();
    if (n < 1) return;
    // A new choice ends whatever the previous one had started: an open cut and a pending addition.
    if (cropPanelOpen()) closeCropPanel();
    if (additionPending()) m_ctx.db.aquTp.cancel();
    spbTt->setText(kAdd);
    spbSt->setText(kDelete);
    dbgZp->setEnabled(true);
    setEditable(false);

    lblT1->show();
    edtTh->show();
    Query& q = m_ctx.db.aquTp;
    if (n >= 8) {
        RequiredAspect = 1.0f;
        addressChoice(n, 0);
        dbgZp->show();
        edtTh->setText(q.text(QStringLiteral("图号")));
        lblTm->show();
        edtTm->show();
        edtTm->setText(q.text(QStringLiteral("图名")));
        spbSt->setEnabled(true);
        spbTt->setEnabled(true);
        spbCx->setEnabled(true);
        spbCx->setText(kModify);
        lblGg->setText(promptFor(q.text(QStringLiteral("图名"))));
        if (!q.isEmpty()) showGridRow(0);
    } else {
        RequiredAspect = requiredAspect(n);
        addressChoice(n, 0);
        lblTm->hide();
        edtTm->hide();
        edtTh->setText(q.text(QStringLiteral("图号")));
        edtTm->setReadOnly(true);
        spbSt->setEnabled(false);
        spbTt->setEnabled(false);
        spbCx->setEnabled(false);
        spbCx->setText(kUndo);
        dbgZp->hide();
        lblGg->setText(promptFor(choiceName(cboZp->currentText())));
    }
    resetWorkingImage();
    // The background takes no cut, also when a manual cut was left by closing the screen.
    imgZp->setEnabled(false);
    CropDragging = false;
    shpXz->hide();
    spbDk->setText(kOpen);
    spbDk->setEnabled(true);
    if (q.isNull(1)) {
        imgZ1->hide();
        m_ctx.platform.dialogs().message(kInfoTitle, QStringLiteral("图片文件不存在！"),
                                         MsgIcon::Information);
    } else {
        showPreview();
    }
    showSizeLabel();
}

void PicturePage::showGridRow(int row) {
    m_syncingGrid = true;
    dbgZp->setCurrentIndex(m_model->index(row, 0));
    m_syncingGrid = false;
}

void PicturePage::showPreview() {
    try {
        ShowPicturePreview(m_ctx.db.aquTp, imgZ1, lblSk, cboZp->currentText(), chkYd->isChecked());
    } catch (const KovuError&) {
        // A stored picture that cannot be decoded: say so, and go on with the page.
        imgZ1->hide();
        handleCurrentException();
    }
}

void PicturePage::showSizeLabel() {
    const QSize s = imgZ1->picture().size();
    lblSk->setText(QStringLiteral("规格：") + QString::number(s.width()) + QStringLiteral(" * ") +
                   QString::number(s.height()) + QStringLiteral(" 宽高比：") + fixed4(RequiredAspect));
}

void PicturePage::resetWorkingImage() {
    imgZp->setGeometry(kWorkLeft, kWorkTop, kWorkWidth, kWorkHeight);
    try {
        imgZp->loadFromFile(m_ctx.state.ExeFolder + QStringLiteral("fzwj/bj.jpg"));
    } catch (const KovuError&) {
        imgZp->clearPicture();
    }
}

void PicturePage::setEditable(bool on) {
    edtTh->setReadOnly(!on);
    edtTm->setReadOnly(!on);
}

void PicturePage::dbgZpCellClick(const QModelIndex& index) {
    Query& q = m_ctx.db.aquTp;
    if (!index.isValid() || additionPending()) return;
    ensureAddressed();
    if (index.row() >= q.recordCount()) return;
    q.moveTo(index.row());
    showExampleRow();
}

void PicturePage::showExampleRow() {
    Query& q = m_ctx.db.aquTp;
    m_row = q.recNo();
    const bool examples = cboZp->currentText().startsWith('8');
    if (q.recNo() < 0) {
        // No row left to show: nothing to rename, delete or store into until one is added.
        edtTh->clear();
        edtTm->clear();
        imgZ1->hide();
        if (examples) {
            spbSt->setEnabled(false);
            spbCx->setEnabled(false);
            // Emptied boxes would grey 添加 too; it is the one way on.
            spbTt->setEnabled(true);
        }
        lblGg->setText(promptFor(QString()));
        return;
    }
    edtTh->setText(q.text(QStringLiteral("图号")));
    edtTm->setText(q.text(QStringLiteral("图名")));
    if (examples) spbSt->setEnabled(true);
    showPreview();
    const float r = aspectOf(imgZ1->picture().size());
    RequiredAspect = r > 0 ? r : 1.0f;
    showSizeLabel();
    lblGg->setText(promptFor(q.text(QStringLiteral("图名"))));
}

// ---------------------------------------------------------------------------------------------
// Opening a file

void PicturePage::spbDkClick() {
    const QString file =
        m_ctx.platform.dialogs().openFile(QStringLiteral("打开"), dialogFilter(kOpenFilter), {});
    if (file.isEmpty()) return;
    try {
        LoadSourcePicture(file);
    } catch (const KovuError& e) {
        // Not a picture the page can use: the page stays as it was.
        m_ctx.platform.dialogs().message(kInfoTitle, e.message(), MsgIcon::Information);
        return;
    }
    m_shortName = shortFileName(QDir::toNativeSeparators(file));
    const QSize pic = imgZp->picture().size();
    lblGg->setText(m_shortName + QStringLiteral("\n 规格：") + QString::number(pic.width()) +
                   QStringLiteral(" * ") + QString::number(pic.height()) + QStringLiteral(" 缩放：") +
                   fixed4(ViewScale));
    const int n = choice();
    const QSize required = requiredSize(n);
    const Assessment a = assessPicture(pic, SourceAspect, RequiredAspect, required);
    const QString message =
        cropMessage(choiceName(cboZp->currentText()), required, RequiredAspect, pic, SourceAspect, a);
    openCropPanel(m_shortName, message, a.matches, a.tooSmall);
    spbTt->setEnabled(false);
    imgZp->setEnabled(false);
    spbCx->setEnabled(true);
    spbLc->setEnabled(true);
}

void PicturePage::LoadSourcePicture(const QString& fileName) {
    // Decoded first: a file that is no usable picture changes nothing.
    const QImage img = loadPictureFile(fileName);
    imgZp->setPicture(img);
    SourceAspect = aspectOf(img.size());
    FitWorkingImage(SourceAspect);
    CropDragging = false;
    CropSize = QSize(0, 0);
    shpXz->hide();
}

void PicturePage::FitWorkingImage(float r) {
    const WorkingFit fit = fitWorkingImage(imgZp->picture().size(), r, imgZp->y());
    imgZp->setGeometry(fit.rect);
    ViewScale = fit.viewScale;
}

// ---------------------------------------------------------------------------------------------
// Cancel, edit, add, delete

void PicturePage::closeCropPanel() {
    imgZp->setGeometry(kWorkLeft, kWorkTop, kWorkWidth, kWorkHeight);
    resetWorkingImage();
    lblGg->setText(promptFor(choiceName(cboZp->currentText())));
    if (m_panel) m_panel->hide();
    imgZp->setEnabled(false);
    CropDragging = false;
    shpXz->hide();
    spbCx->setEnabled(false);
}

void PicturePage::spbCxClick() {
    if (m_panel && m_panel->isVisible()) {
        closeCropPanel();
        return;
    }
    const QString caption = spbCx->text();
    if (caption == kModify) {
        setEditable(true);
        spbCx->setText(kConfirm);
    } else if (caption == kConfirm) {
        ensureAddressed();
        m_ctx.db.aquTp.updateCurrent(
            {{QStringLiteral("图号"), edtTh->text()}, {QStringLiteral("图名"), edtTm->text()}});
        setEditable(false);
        spbCx->setText(kModify);
    } else if (caption == kUndo && additionPending()) {
        m_ctx.db.aquTp.cancel();
        endAddition();
        imgZ1->show();
        edtTh->clear();
        edtTm->clear();
    }
}

void PicturePage::endAddition() {
    spbTt->setText(kAdd);
    spbSt->setText(kDelete);
    spbCx->setText(kModify);
    setEditable(false);
    dbgZp->setEnabled(true);
}

void PicturePage::spbTtClick() {
    if (spbTt->text() == kAdd) {
        ensureAddressed();
        spbTt->setText(kSave);
        edtTh->clear();
        edtTm->clear();
        setEditable(true);
        edtTh->setFocus();
        imgZ1->hide();
        m_ctx.db.aquTp.append();
        spbTt->setEnabled(false);
        spbSt->setText(kUndoAdd);
        spbSt->setEnabled(true);
        // While a row is being added this button cancels it; the grid keeps its row.
        spbCx->setText(kUndo);
        spbCx->setEnabled(true);
        dbgZp->setEnabled(false);
        lblGg->setText(QStringLiteral("请打开要添加的图片"));
        return;
    }
    if (spbTt->text() != kSave) return;
    if (edtTh->text().isEmpty() || edtTm->text().isEmpty()) {
        m_ctx.platform.dialogs().message(kInfoTitle, QStringLiteral("数据没录全，请填全后再保存！"),
                                         MsgIcon::Information);
        return;
    }
    Query& q = m_ctx.db.aquTp;
    if (q.state() != Query::State::Insert) ensureAddressed();
    q.setValue(QStringLiteral("图号"), edtTh->text());
    q.setValue(QStringLiteral("图名"), edtTm->text());
    q.post();
    m_row = q.recNo();
    endAddition();
    showGridRow(q.recNo());
    m_ctx.platform.dialogs().message(
        QStringLiteral("录入图片"),
        QStringLiteral("图片尚没有录入，请在右边“打开”图片文件，\n\n再按“更换”按钮录入图片。"),
        MsgIcon::Information);
}

void PicturePage::spbStClick() {
    Query& q = m_ctx.db.aquTp;
    if (spbSt->text() == kUndoAdd) {
        q.cancel();
        endAddition();
        ensureAddressed();
        edtTh->setText(q.text(QStringLiteral("图号")));
        edtTm->setText(q.text(QStringLiteral("图名")));
        spbTt->setEnabled(true);
        showPreview();
        lblGg->setText(promptFor(q.text(QStringLiteral("图名"))));
        if (!q.isNull(1)) imgZ1->show();
        return;
    }
    if (spbSt->text() != kDelete) return;
    ensureAddressed();
    if (q.recNo() < 0) return;
    if (m_ctx.platform.dialogs().message(QStringLiteral("删除记录"), QStringLiteral("      删除这条记录吗？"),
                                         MsgIcon::Question, MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    q.deleteRecord();
    // A rename that was under way ends with its row; the boxes, the preview and the prompt now
    // show the row the grid stands on, which is the one the next action works on.
    setEditable(false);
    spbCx->setText(kModify);
    if (q.recNo() >= 0) showGridRow(q.recNo());
    showExampleRow();
}

void PicturePage::edtThChange() { spbTt->setEnabled(!edtTh->text().isEmpty() && !edtTm->text().isEmpty()); }

void PicturePage::edtTmChange() { edtThChange(); }

// ---------------------------------------------------------------------------------------------
// Saving the working image to a file

void PicturePage::spbLcClick() {
    int filter = 1;
    const QString chosen = m_ctx.platform.dialogs().saveFileFiltered(QStringLiteral("另保存图片文件"),
                                                                     dialogFilter(kSaveFilter), {}, &filter);
    if (chosen.isEmpty()) return;
    const QString name = saveFileName(chosen, filter);
    // What the working image shows, whether an opened picture, a cut or the background.
    const QImage& picture = imgZp->picture();
    if (picture.isNull()) {
        m_ctx.platform.dialogs().message(kInfoTitle, QStringLiteral("没有图片，不能保存。"),
                                         MsgIcon::Information);
        return;
    }
    const QByteArray bytes = filter == 2 ? encodeBitmap(picture) : encodeJpeg(picture, 80);
    // Written beside the target and renamed over it, so a failed write leaves no half file.
    QSaveFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        m_ctx.platform.dialogs().message(
            kInfoTitle,
            QStringLiteral("图片文件“%1”不能保存：%2").arg(QDir::toNativeSeparators(name), f.errorString()),
            MsgIcon::Information);
    }
}

}  // namespace kovu

#include "tools/StartShortcuts.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "platform/ImageCodec.h"
#include "pictures/ConfirmPanel.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace kovu {

const QString StartShortcuts::kName = QStringLiteral("启动Kovu");
const QString StartShortcuts::kCreateCaption = QStringLiteral("建快捷方式(&J)");
const QString StartShortcuts::kRemoveCaption = QStringLiteral("撤快捷方式(&J)");
const QString StartShortcuts::kProgramFile = QStringLiteral("kovu");

namespace {

const QString kTitle = QStringLiteral("操作提示");
const QString kDesktop = QStringLiteral("desktop");

}  // namespace

StartShortcuts::StartShortcuts(FormContext& ctx, ConfirmPanel& panZc, QPushButton& spbKj)
    : m_ctx(ctx), m_panZc(panZc), m_spbKj(spbKj) {}

const QList<StartShortcuts::Place>& StartShortcuts::placesByItem() {
    static const QList<Place> places = {{kDesktop, QStringLiteral("桌面")},
                                        {QStringLiteral("quicklaunch"), QStringLiteral("快捷栏")},
                                        {QStringLiteral("startmenu"), QStringLiteral("开始菜单")}};
    return places;
}

const QList<StartShortcuts::Place>& StartShortcuts::placesInSearchOrder() {
    static const QList<Place> places = {placesByItem().at(0), placesByItem().at(2), placesByItem().at(1)};
    return places;
}

QString StartShortcuts::linkPath(const QString& placeId) const {
    Shortcuts& s = m_ctx.platform.shortcuts();
    const QString folder = s.folder(placeId);
    if (folder.isEmpty()) return {};
    return folder + "/" + s.fileName(kName);
}

QString StartShortcuts::targetPath() const { return m_ctx.state.ProgramFolder + kProgramFile; }

void StartShortcuts::UpdateShortcutCaption() {
    for (const Place& p : placesInSearchOrder()) {
        const QString path = linkPath(p.id);
        if (!path.isEmpty() && QFileInfo::exists(path)) {
            m_spbKj.setText(kRemoveCaption);
            return;
        }
    }
    m_spbKj.setText(kCreateCaption);
}

void StartShortcuts::spbKjClick() {
    const QString caption = m_spbKj.text();
    if (caption == kCreateCaption)
        showShortcutMode();
    else if (caption == kRemoveCaption)
        removeShortcuts();
}

void StartShortcuts::showShortcutMode() {
    ConfirmPanel& p = m_panZc;
    p.setGeometry(142, 128, 356, 170);
    // The title bar as designed: highlight colour, white title, the close button at its right end.
    p.lblZ1->setGeometry(4, 4, 348, 20);
    setBackground(p.lblZ1, p.palette().color(QPalette::Highlight));
    p.lblZ0->setGeometry(4, 4, 348, 20);
    p.lblZ0->setAutoFillBackground(false);
    setTextColor(p.lblZ0, Qt::white);
    p.lblZ0->setText(QStringLiteral("建立本软件启动快捷方式"));
    p.lblZ1->show();
    p.Image2->show();
    p.lblZ0->show();
    p.butZc->setGeometry(332, 6, 18, 16);
    p.butZc->show();
    p.butZc->raise();
    // The places, none chosen.
    p.rgpKj->setGeometry(26, 36, 308, 58);
    p.rgpKj->setColumns(3);
    p.rgpKj->setItemIndex(-1);
    p.rgpKj->setEnabled(true);
    p.rgpKj->show();
    p.spbKs->move(49, 126);
    p.spbKs->setText(ConfirmPanel::kShortcutConfirm);
    p.spbKs->setEnabled(false);
    p.spbKs->show();
    p.spbQz->move(226, 126);
    p.spbQz->setText(ConfirmPanel::kShortcutCancel);
    p.spbQz->setEnabled(true);
    p.spbQz->show();
    p.spbZb->hide();
    p.grbCj->hide();
    p.lblZc->hide();
    p.show();
    p.raise();
}

void StartShortcuts::hidePanel() {
    m_panZc.hide();
    // The message label belongs to the crop mode's layout; it comes back with the panel's next use.
    m_panZc.lblZc->setVisible(true);
}

void StartShortcuts::rgpKjClick() {
    if (m_panZc.rgpKj->itemIndex() >= 0) m_panZc.spbKs->setEnabled(true);
}

void StartShortcuts::confirmPanelAction(const QString& caption) {
    if (caption == ConfirmPanel::kShortcutCancel) {
        hidePanel();
        return;
    }
    if (caption != ConfirmPanel::kShortcutConfirm) return;
    const MsgResult r = m_ctx.platform.dialogs().message(
        QStringLiteral("设置快捷方式"),
        QStringLiteral("如果确定按刚才的选择设置本软件启动快捷方式，\n\n       请按“是”；否则按“否”。"),
        MsgIcon::Information, MsgButtons::YesNo);
    const int index = m_panZc.rgpKj->itemIndex();
    hidePanel();
    if (r != MsgResult::Yes || index < 0 || index >= placesByItem().size()) return;
    CreateStartShortcut(targetPath(), placesByItem().at(index).word, kName);
    UpdateShortcutCaption();
}

bool StartShortcuts::CreateStartShortcut(const QString& target, const QString& word, const QString& name) {
    Dialogs& dlg = m_ctx.platform.dialogs();
    Shortcuts& s = m_ctx.platform.shortcuts();
    QString placeId;
    for (const Place& p : placesByItem())
        if (p.word == word) placeId = p.id;
    const QString folder = placeId.isEmpty() ? QString() : s.folder(placeId);
    const QString failed = QStringLiteral("在[%1]建立[%2]快捷方式没有成功！请检查原因！").arg(word, name);
    QString reason;
    if (folder.isEmpty()) {
        reason = QStringLiteral("系统没有给出这个位置的文件夹。");
    } else if (reachedThroughDescriptor(target)) {
        // A launcher is a UTF-8 text: a folder name in another code page cannot be written in it.
        reason = QStringLiteral(
                     "程序文件夹 %1 的名字不是 UTF-8 编码的，快捷方式里写不下它。\n"
                     "请给这个文件夹改一个名字，再建快捷方式。")
                     .arg(shownPath(QFileInfo(target).absolutePath()));
    } else if (placeId == kDesktop) {
        // A desktop that does not exist is not shown by any desktop; it is not made here.
        if (!QFileInfo(folder).isDir()) reason = QStringLiteral("文件夹 %1 不存在。").arg(folder);
    } else if (!QDir().mkpath(folder)) {
        reason = QStringLiteral("不能建立文件夹 %1。").arg(folder);
    }
    if (reason.isEmpty()) {
        const QString path = folder + "/" + s.fileName(name);
        QString error;
        // The launcher starts in the data folder, where its icon is written too: an installed
        // program's own folder is not the user's to write.
        if (s.create(path, name, target, QDir::cleanPath(m_ctx.state.ExeFolder),
                     decodeFormPicture(QStringLiteral("kovu.png")), error)) {
            dlg.message(kTitle, QStringLiteral("已在[%1]建立[%2]快捷方式！").arg(word, name), MsgIcon::None);
            return true;
        }
        reason = path + "\n" + error;
    }
    dlg.message(kTitle, failed + "\n\n" + reason, MsgIcon::Information);
    return false;
}

void StartShortcuts::removeShortcuts() {
    Dialogs& dlg = m_ctx.platform.dialogs();
    const MsgResult r =
        dlg.message(QStringLiteral("确认取消"),
                    QStringLiteral("如果确定取消本软件启动快捷方式，\n\n请按“是”；否则按“否”。"),
                    MsgIcon::Information, MsgButtons::YesNo);
    if (r != MsgResult::Yes) return;
    QStringList failures;
    for (const Place& p : placesInSearchOrder()) {
        const QString path = linkPath(p.id);
        if (path.isEmpty() || !QFileInfo::exists(path)) continue;
        QString error;
        if (!m_ctx.platform.shortcuts().remove(path, error))
            failures << QStringLiteral("删除[%1]的[%2]快捷方式没有成功！请检查原因！\n\n%3\n%4")
                            .arg(p.word, kName, path, error);
    }
    if (failures.isEmpty())
        dlg.message(kTitle, QStringLiteral("已删除本软件启动快捷方式！"), MsgIcon::None);
    else
        dlg.message(kTitle, failures.join("\n\n"), MsgIcon::Information);
    UpdateShortcutCaption();
}

}  // namespace kovu

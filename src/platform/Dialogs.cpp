#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace kovu {

MsgResult QtDialogs::message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MsgResult::Ok;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            return MsgResult::Cancel;
    }
}

QString QtDialogs::openFile(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(m_parent, title, folder, filter);
}

QString QtDialogs::saveFile(const QString& title, const QString& filter, const QString& folder,
                            const QString& suggestedName) {
    QString start = folder.isEmpty() ? suggestedName : folder + "/" + suggestedName;
    return QFileDialog::getSaveFileName(m_parent, title, start, filter);
}

QString QtDialogs::saveFileFiltered(const QString& title, const QString& filter, const QString& folder,
                                    int* filterIndex) {
    QString selected;
    const QString name = QFileDialog::getSaveFileName(m_parent, title, folder, filter, &selected,
                                                      QFileDialog::DontConfirmOverwrite);
    if (filterIndex) {
        const int i = filter.split(QStringLiteral(";;")).indexOf(selected);
        *filterIndex = i < 0 ? 1 : i + 1;
    }
    return name;
}

}  // namespace kovu

#pragma once

#include <QPushButton>
#include <QString>
#include <QStringList>

#include "data/Shared.h"

namespace kovu {

class ConfirmPanel;

// The start shortcut "启动Kovu": the caption of spbKj on the picture page, the confirmation panel
// panZc in shortcut mode, creating a shortcut in the chosen place and removing it from every place.
class StartShortcuts {
public:
    StartShortcuts(FormContext& ctx, ConfirmPanel& panZc, QPushButton& spbKj);

    static const QString kName;           // "启动Kovu"
    static const QString kCreateCaption;  // "建快捷方式(&J)"
    static const QString kRemoveCaption;  // "撤快捷方式(&J)"
    // The program file the shortcut starts, in the program's folder.
    static const QString kProgramFile;  // "kovu"

    // A place of the shortcut: the platform's folder name and the word the messages use.
    struct Place {
        QString id;
        QString word;
    };
    // The places by their item index in rgpKj: desktop, quick-launch bar, start menu.
    static const QList<Place>& placesByItem();
    // The places in the order in which they are searched and removed: desktop, start menu, quick launch.
    static const QList<Place>& placesInSearchOrder();

    // The launcher file of a place; empty when the system names no folder for it.
    QString linkPath(const QString& placeId) const;
    // The program file and its folder, as the shortcut starts it.
    QString targetPath() const;

    // The caption of spbKj from the shortcuts that exist (when the picture page opens).
    void UpdateShortcutCaption();
    void spbKjClick();
    void rgpKjClick();
    // The shortcut-mode buttons of panZc: "确 定(&K)" and "取 消(&X)" (and "X").
    void confirmPanelAction(const QString& caption);
    // Writes the launcher name into the place of the location word and reports the result.
    bool CreateStartShortcut(const QString& target, const QString& word, const QString& name);

private:
    void showShortcutMode();
    void hidePanel();
    void removeShortcuts();

    FormContext& m_ctx;
    ConfirmPanel& m_panZc;
    QPushButton& m_spbKj;
};

}  // namespace kovu

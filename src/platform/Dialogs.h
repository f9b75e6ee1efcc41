#pragma once

#include <QString>

class QWidget;

namespace kovu {

enum class MsgIcon { None, Information, Warning, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

// Every message box and file dialog of the program goes through this interface, so that a test
// can log what the user would have seen and answer from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult message(const QString& title, const QString& text, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::Ok) = 0;
    // An empty result means the user cancelled.
    virtual QString openFile(const QString& title, const QString& filter, const QString& folder) = 0;
    virtual QString saveFile(const QString& title, const QString& filter, const QString& folder,
                             const QString& suggestedName) = 0;
    // A save dialog that also tells which filter (1-based) the user chose and, unlike saveFile,
    // asks nothing before an existing file is overwritten.
    virtual QString saveFileFiltered(const QString& title, const QString& filter, const QString& folder,
                                     int* filterIndex) {
        if (filterIndex) *filterIndex = 1;
        return saveFile(title, filter, folder, QString());
    }
};

// The real dialogs: QMessageBox and QFileDialog with the program's titles, texts, icons and buttons.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    MsgResult message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& folder,
                     const QString& suggestedName) override;
    QString saveFileFiltered(const QString& title, const QString& filter, const QString& folder,
                             int* filterIndex) override;

private:
    QWidget* m_parent;
};

}  // namespace kovu

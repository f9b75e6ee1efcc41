#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

#include "data/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"

namespace kovu {
class TfrmKovu;
}

// Failure output shows texts as texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace kovu::test {

struct LoggedMessage {
    QString title;
    QString text;
    MsgIcon icon;
    MsgButtons buttons;
};

// Logs every message and answers questions from a script. A question (any box with more than an
// OK button) that the test did not script fails the test. Each box and file dialog takes the
// activation from the window below while it is "open", as a real one does (passThroughModalBox).
class ScriptedDialogs : public Dialogs {
public:
    MsgResult message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& folder,
                     const QString& suggestedName) override;
    // Answers with the next chosen file and the next chosen filter (1 when none is scripted).
    QString saveFileFiltered(const QString& title, const QString& filter, const QString& folder,
                             int* filterIndex) override;

    void answer(MsgResult r) { answers.push_back(r); }
    void chooseFile(const QString& path) { files.push_back(path); }
    void chooseFilter(int index) { filters.push_back(index); }
    // Texts of all messages so far.
    QStringList texts() const;
    void clear() { log.clear(); }

    std::vector<LoggedMessage> log;
    std::deque<MsgResult> answers;
    std::deque<QString> files;
    std::deque<int> filters;
    // Titles and filters of the file dialogs shown so far.
    QStringList fileDialogs;

private:
    QString nextFile(const QString& title);
};

class FakeInputMethods : public InputMethods {
public:
    QStringList list() override { return names; }
    void activate(int index) override { activated.push_back(index); }
    void deactivate() override { ++deactivated; }
    QStringList names;
    std::vector<int> activated;
    int deactivated = 0;
};

// Launchers as small files under root/<place>; the real ones are tested with XDG folders of a test.
class FakeShortcuts : public Shortcuts {
public:
    explicit FakeShortcuts(const QString& root) : root(root) {}
    QString folder(const QString& place) override { return root + "/" + place; }
    QString fileName(const QString& name) override { return name + ".desktop"; }
    bool create(const QString& path, const QString& name, const QString& target, const QString& workingFolder,
                const QImage& icon, QString& error) override;
    bool remove(const QString& path, QString& error) override;
    QString root;
};

// A platform with a fixed screen, system version and clock, and a scripted random source.
class FakePlatform : public Platform {
public:
    FakePlatform();
    QSize screenSize() const override { return screen; }
    int osMajorVersion() const override { return osMajor; }
    QDateTime now() const override { return clock; }
    // Takes the next scripted draw (value % n) when there is one, else a seeded generator.
    int random(int n) override;

    ScriptedDialogs& dlg() { return *m_dlg; }
    FakeInputMethods& ime() { return *m_ime; }

    QSize screen{1024, 768};
    int osMajor = 6;
    QDateTime clock{QDate(2024, 3, 9), QTime(8, 5, 12)};
    std::deque<int> draws;
    unsigned seed = 12345;

private:
    ScriptedDialogs* m_dlg;
    FakeInputMethods* m_ime;
};

// A temporary executable folder for one test.
class TestFolder {
public:
    TestFolder();
    QString path() const { return m_dir.path() + "/"; }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QString db() const { return file("kovu.mdb"); }
    // Copies the delivered database (built from content/) into the folder.
    void copyDeliveredDb();
    // Writes a small database through the schema: the settings row and the fifteen screen pictures.
    void writeSmallDb();
    // Builds the delivered database afresh with the content tool, as a release delivers it (the
    // delivered file of the build may have been opened, and so upgraded, by a run of the program).
    void buildDeliveredDb();
    // Puts the stroke data file that the build wrote beside the test's program.
    void copyStrokeFile();

private:
    QTemporaryDir m_dir;
};

// A small tmpfs mounted on a folder for the length of a test: a full disk or a read-only folder
// on demand. Mounting needs the right to (root here); where it is refused, ok() is false and the
// test skips.
class ScratchMount {
public:
    ScratchMount(const QString& folder, const QString& size);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool ok() const { return m_mounted; }
    bool remountReadOnly();
    // Takes all the free space with a filler file, so the next write finds a full disk.
    void fill();
    void unmount();

private:
    QString m_folder;
    bool m_mounted = false;
};
#define KOVU_REQUIRE_MOUNT(m) \
    if (!(m).ok()) GTEST_SKIP() << "mounting a tmpfs is not allowed here"

// Writes a database with the schema, one settings row and the fifteen yetp pictures.
void writeSmallDatabase(const QString& file, const QString& key = kDatabasePassword);
// The journal mode the file itself asks for ("delete", or "wal" for a file left in log mode), read
// without changing it.
QString storedJournalMode(const QString& file);
// Opens a second connection to a test's database, for checking rows.
std::unique_ptr<Connection> openDb(const QString& file);
// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString& path);
// The rows a query gives, each as its values joined by blanks.
QStringList rows(Connection& c, const QString& sql);

// The number of rows of every table of the practice database, by table.
std::map<QString, qlonglong> rowCounts(const QString& db);

// Every row of every table of the file as text, table by table in rowid order (pictures by their
// length and checksum): two snapshots are equal when no stored value changed.
QStringList fileRows(Connection& c, const QStringList& tables);

// Constructs the form in a folder (this runs start-up).
std::unique_ptr<TfrmKovu> makeForm(FakePlatform& platform, const TestFolder& folder);

template <typename T>
T* control(QWidget* root, const QString& name) {
    T* w = root->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name.toStdString();
    return w;
}

// Drops the offscreen platform's notes of what it cannot do ("This plugin does not support
// propagateSizeHints()" at every shown window, raise(), …) and the note of a machine without a
// runtime folder (XDG_RUNTIME_DIR), which are no fault of the code under test, so tests and
// benchmarks print only their own results; every other message goes to the handler that was
// installed before.
void quietPlatformMessages();

// Points the user's cache folder (where the program remembers the keys of the files it opened) at
// a folder of this process, removed when it ends, so that tests, their child processes and
// benchmarks never write into the home folder of whoever runs them.
void useOwnCacheFolder();

// Types text into the focused widget, Chinese included, one character at a time.
void typeText(QWidget* w, const QString& text);
void pressEnter(QWidget* w);

}  // namespace kovu::test

#pragma once

#include <QProcess>
#include <QString>
#include <ostream>

#include "TestSupport.h"

namespace kovu::test {

// Makes a folder unchangeable (no entry can be added, removed or renamed) while it lives: root
// ignores permissions, not this flag. ok is false where chattr is refused.
struct Immutable {
    QString folder;
    bool ok = false;
    explicit Immutable(const QString& f) : folder(f) {
        ok = QProcess::execute("chattr", {"+i", folder}) == 0;
    }
    ~Immutable() {
        if (ok) QProcess::execute("chattr", {"-i", folder});
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
};

inline QString lastText(FakePlatform& p) { return p.dlg().log.empty() ? QString() : p.dlg().log.back().text; }

}  // namespace kovu::test

#pragma once

#include <QString>

namespace kovu {

// The application's id: the name of the desktop entry, the metainfo, the icon and the user's folder.
inline const QString kApplicationId = QStringLiteral(KOVU_APP_ID);
// Where an installed program finds the delivered database, seen from the program's folder
// (/usr/bin/kovu reads /usr/share/kovu/kovu.mdb).
inline const QString kDeliveredFromProgram = QStringLiteral("../share/kovu/kovu.mdb");

// Where the program keeps its data for this run.
//  - Portable: the program's own folder holds kovu.mdb and can be written; everything stays there.
//  - Installed: otherwise, when a delivered database lies beside the installed program. The user's
//    data folder holds the database (copied from the delivered one on first start), fzwj and every
//    other file the program writes. The delivered file is only ever read.
//  - Neither: the program's folder as in portable mode, so opening it explains what is missing.
struct DataPlace {
    QString folder;         // kovu.mdb, fzwj, ls.mdb: all here
    QString programFolder;  // the folder of the program that a start shortcut launches
    bool installed = false;
    QString error;  // the user's folder cannot be used: the message that names it
};

// The user's data folder of an installed program: $XDG_DATA_HOME/<id>, or ~/.local/share/<id>
// when that is unset or not an absolute path.
QString userDataFolder();

// Decides where the data of the program in programFolder lives, and in installed mode makes the
// user's folder (0700) and gives it its first database. Costs a stat or two when portable.
DataPlace resolveDataPlace(const QString& programFolder);

// Copies the delivered database into folder as kovu.mdb, atomically: the copy is written under
// another name, synced and then renamed into place, never over an existing kovu.mdb (a second
// start that copied first wins). Returns the reason when it fails, leaving no file behind.
QString copyDeliveredDatabase(const QString& delivered, const QString& folder);

}  // namespace kovu

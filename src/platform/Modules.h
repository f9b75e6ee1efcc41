#pragma once

#include <QString>

namespace kovu {

// The entry symbol of a module of the program (a shared library loaded the first time its work is
// wanted, never at start-up), looked for beside the program (a build or a portable folder) and in
// the installed program's module folder, ../lib/kovu/modules beside bin/ (a folder the system's
// library cache never looks into). Null when it cannot be loaded; why then gives the reasons.
void* moduleEntry(const char* fileName, const char* symbol, QString* why);

}  // namespace kovu

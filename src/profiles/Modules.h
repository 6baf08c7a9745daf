#pragma once

#include <QString>
#include <QtGlobal>

// Tavrin's modules: libraries of its own that carry what most runs never need (the
// remote requests, the keyring), loaded with their first use so that the programs start
// without them.
namespace Modules {

// The entry point `entry` of the module `fileName`, looked for beside the program as the
// build and relocatable installs lay it out (<dir>/lib/tavrin next to <dir>/bin), in the
// macOS bundle's plug-ins, or where the package installs it. The module stays loaded.
// Null when it cannot be loaded; `problem` then says why in plain words, naming the module
// by `name` ("network").
QFunctionPointer entryPoint(const QString& fileName, const char* entry, const QString& name,
                            QString& problem);

} // namespace Modules

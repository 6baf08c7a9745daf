#pragma once

#include "codex/Toml.h"
#include "profiles/Profile.h"

#include <QByteArray>
#include <QByteArrayView>

// The rewrite of config.toml as a pure function of its text. Only the statements before
// the first table header (the top-level region) are rewritten, and the Velqor provider
// table, when it is needed and missing, is appended at the end: every other byte stays
// as it was. When the file is TOML, the new text is checked with the TOML parser before
// anything is written: it must parse, hold what the profile asks and keep every other
// value. A file that does not parse is handled by the line rules alone.
namespace ConfigPatch {

// The new UTF-8 text for the profile, after `prefix` (the byte order mark the file starts
// with, which `text` does not hold). Throws ConfigPatchError, saying why, when Codex could
// not use the profile with this file or when the change would touch anything else.
QByteArray patched(QByteArrayView text, const Profile& profile, QByteArrayView prefix = {});

// The check of a new text against the tree of the old one: throws ConfigPatchError unless
// `patched` parses, holds what the profile asks and keeps every value of `before` outside
// the managed keys (and a provider table the patch added). Takes the managed keys out of
// `before`.
void checkAgainst(toml::table& before, QByteArrayView patched, const Profile& profile);

} // namespace ConfigPatch

#pragma once
// The description's derived values, read with the description's reader so that every message
// names the file, the line and the key.

#include "heat/toml_reader.hpp"
#include "prepare/prepare.hpp"

namespace tc::prepare {

// [restraint] naming the part the member is cast on: sets Rn, Rm1, Rm2.
void DeriveRestraint(const heat::TomlReader& r, const toml::table& restraint, Description& d);
// [cracking] without lcb, lcu, lsb, lsu: sets them from the bars' crack spacing (d.bars read).
void DeriveSpreadLengths(const heat::TomlReader& r, const toml::table& cracking, Description& d);
// [steel] yield, or the default grade's.
void TakeYieldStrength(const heat::TomlReader& r, const toml::table& steel, Description& d);

}  // namespace tc::prepare

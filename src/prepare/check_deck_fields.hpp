#pragma once
// The description's values that go to a fixed-column field of the job's files, checked against
// what the field can hold before anything is written.

#include "heat/toml_reader.hpp"
#include "prepare/prepare.hpp"

namespace tc::prepare {

// Refuses a deck value the run's single-precision 12-column field cannot hold, and a part's
// coordinate beyond the mesh file's 10-column field, naming the file, line and key and the largest
// value the field holds.
void CheckDeckFields(const heat::TomlReader& r, const toml::table& root, const Description& d);

}  // namespace tc::prepare

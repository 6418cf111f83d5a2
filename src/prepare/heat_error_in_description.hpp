#pragma once
// A failure of the heat analysis on the job that prepare made, told in the description's terms.

#include <string>

#include "prepare/prepare.hpp"

namespace tc::prepare {

// The message of a failure in the heat analysis of the job being written into folder (which is
// removed afterwards): a place in the generated heat.toml (heatText) becomes the description's
// file, line and key, and the generated meshes are named for what they hold.
std::string HeatErrorInDescription(const std::string& message, const Description& d, const std::string& heatText,
                                   const std::string& folder, const std::string& heatMesh);

}  // namespace tc::prepare

#pragma once
// The tables of a section description that most prepare tests share.

#include <string>

#include "heat/heat_test_support.hpp"

namespace tc::prepare::fixtures {

// [concrete]: strength 40 N/mm2, a 4.5, b 0.95, ft = 0.44 sqrt(fc), Ec = 4700 sqrt(fc), the heat
// analysis's thermal keys placed at 20 C.
inline std::string ConcreteTable() {
    return R"([concrete]
strength = 40.0
a = 4.5
b = 0.95
tensile_factor = 0.44
modulus_factor = 4700.0
expansion = 1.0e-5
)" + heat::testing::ThermalKeys("20.0");
}

// [steel], [cracking] with the spread lengths given, [restraint] with the factors given.
inline std::string GivenDeckTables() {
    return R"([steel]
modulus = 200000.0
[cracking]
judge = 1.0
lcb = 400.0
lcu = 600.0
lsb = 200.0
lsu = 300.0
[restraint]
Rn = 0.8
Rm1 = 0.6
Rm2 = 0.5
)";
}

}  // namespace tc::prepare::fixtures

#pragma once
// The concrete's strength and stiffness against its age.

#include <cstdint>

#include "cracking/material.hpp"

namespace tc {

// The concrete at one age (t, days, offset included).
struct ConcreteProperties {
    float ModulusFactor = 0.0f;  // early-age reduction of the modulus, no unit
    float fc = 0.0f;             // compressive strength, N/mm2
    float ft = 0.0f;             // tensile strength, N/mm2
    float Ec = 0.0f;             // effective modulus, N/mm2
};

// The properties at age t of step nstep. Refuses an age at which fc is not positive, naming the
// step and the age.
ConcreteProperties ConcreteLaw(const MaterialParameters& P, float age, std::int32_t nstep);

}  // namespace tc

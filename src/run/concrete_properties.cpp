#include <cmath>
#include <cstdio>
#include <string>

#include "run/step_loop.hpp"

namespace tc {

void ComputeConcreteProperties(const MaterialParameters& P, float age, std::int32_t nstep, float& ModulusFactor,
                               float& fc, float& ft, float& Ec) {
    if (age <= 3.0f) {
        ModulusFactor = 0.73333f;
    } else if (age <= 5.0f) {
        ModulusFactor = 0.73333f + (age - 3.0f) / 2.0f * 0.26667f;
    } else {
        ModulusFactor = 1.0f;
    }
    fc = P(param::Sigma91day) * age / (P(param::ParameterA) + P(param::ParameterB) * age);
    if (!(fc > 0.0f)) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "step %d at age %g days (age read plus offset): compressive strength fc = %g is not positive, "
                      "so strength and modulus are undefined",
                      static_cast<int>(nstep), static_cast<double>(age), static_cast<double>(fc));
        throw RunError(text);
    }
    ft = P(param::ParameterC) * std::sqrt(fc);
    Ec = std::sqrt(fc) * P(param::FcToEc) * ModulusFactor;
}

}  // namespace tc

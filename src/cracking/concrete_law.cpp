// ConcreteLaw: strength and modulus of the young concrete at age t (days):
//   ModulusFactor = 0.73333                            t <= 3
//                 = 0.73333 + (t - 3) / 2 x 0.26667    3 < t <= 5
//                 = 1                                  t > 5
//   fc = Sigma91day t / (ParameterA + ParameterB t)    N/mm2
//   ft = ParameterC sqrt(fc)                           N/mm2
//   Ec = sqrt(fc) FcToEc ModulusFactor                 N/mm2

#include "cracking/concrete_law.hpp"

#include <cmath>
#include <cstdio>

#include "records/run_error.hpp"

namespace tc {

ConcreteProperties ConcreteLaw(const MaterialParameters& P, float age, std::int32_t nstep) {
    ConcreteProperties c;
    if (age <= 3.0f) {
        c.ModulusFactor = 0.73333f;
    } else if (age <= 5.0f) {
        c.ModulusFactor = 0.73333f + (age - 3.0f) / 2.0f * 0.26667f;
    } else {
        c.ModulusFactor = 1.0f;
    }
    c.fc = P.Sigma91day * age / (P.ParameterA + P.ParameterB * age);
    if (!(c.fc > 0.0f)) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "step %d at age %g days (age read plus offset): compressive strength fc = %g is not positive, "
                      "so strength and modulus are undefined",
                      static_cast<int>(nstep), static_cast<double>(age), static_cast<double>(c.fc));
        throw RunError(text);
    }
    c.ft = P.ParameterC * std::sqrt(c.fc);
    c.Ec = std::sqrt(c.fc) * P.FcToEc * c.ModulusFactor;
    return c;
}

}  // namespace tc

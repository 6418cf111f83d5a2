// A covered face's exchange with the weather, linearised for one step about the face's temperature:
//   h_c = a + b v                                   (wind speed v, m/s)
//   T_sky: e_clear = (swinbank T_a^0.5)^4, e = (1 - cloud c) e_clear + cloud c, T_sky = e^(1/4) T_a
//   h_sky = e_s sigma F (T_o^2 + T_sky^2)(T_o + T_sky),  h_air = e_s sigma (1 - F)(T_o^2 + T_a^2)(T_o + T_a)
//   h_o = h_c + h_sky + h_air,  U = 1 / (1 / h_o + R)
//   T_eq = (h_c T_a + h_sky T_sky + h_air T_a + alpha s G) / h_o
// (kelvin in the radiation terms). The secants are exact for the fourth powers at T_o, the cover's
// outer surface, T_o = T_eq + U (T - T_eq) / h_o, found by a few passes from T_o = T.

#include <cmath>

#include "heat/heat_release.hpp"
#include "heat/weather.hpp"

namespace tc::heat {

double SkyTemperature(const SkyModel& sky, double airC, double cover) {
    const double Ta = airC + ZeroCelsius;
    const double ratio = sky.swinbank * std::sqrt(Ta);
    const double clear = ratio * ratio * ratio * ratio;
    const double e = (1.0 - sky.cloud * cover) * clear + sky.cloud * cover;
    return std::sqrt(std::sqrt(e)) * Ta - ZeroCelsius;
}

namespace {

double Air(const HeatSettings& s, const BoundaryEntry& b, double t) { return b.ownAmbient ? b.ambient.At(t) : s.ambient.At(t); }

double Secant(double a, double b) {
    const double ak = a + ZeroCelsius, bk = b + ZeroCelsius;
    return (ak * ak + bk * bk) * (ak + bk);
}

}  // namespace

double FaceExchange::Surroundings(const HeatSettings& s, const BoundaryEntry& b, double t) const {
    const double air = Air(s, b, t);
    const double sky = SkyTemperature(s.sky, air, s.cloud.At(t));
    return (hc * air + hSky * sky + hAir * air + absorbed * s.solar.At(t)) / (hc + hSky + hAir);
}

FaceExchange LineariseFace(const HeatSettings& s, const BoundaryEntry& b, const CoverStage& stage, double t,
                           double surfaceC) {
    FaceExchange x;
    const double air = Air(s, b, t);
    const double sky = SkyTemperature(s.sky, air, s.cloud.At(t));
    x.hc = b.cover.windA + b.cover.windB * s.wind.At(t);
    x.absorbed = stage.absorptivity * b.cover.sun;
    const double es = stage.emissivity * StefanBoltzmann;
    double outer = surfaceC;
    for (int pass = 0; pass < 4; ++pass) {
        x.hSky = es * b.cover.sky * Secant(outer, sky);
        x.hAir = es * (1.0 - b.cover.sky) * Secant(outer, air);
        const double ho = x.hc + x.hSky + x.hAir;
        x.U = 1.0 / (1.0 / ho + stage.resistance);
        if (stage.resistance == 0.0) break;
        const double eq = x.Surroundings(s, b, t);
        outer = eq + x.U * (surfaceC - eq) / ho;
    }
    return x;
}

}  // namespace tc::heat

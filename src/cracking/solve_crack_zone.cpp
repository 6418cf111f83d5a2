// SolveCrackZone: the crack openings u1 (top edge) and u2 (bottom edge) of the band that balance the
// axial force and moment of the band's concrete against its bars, and the members' strain corrections.
// In a band of height h = hmax - hmin, a member at height y stands at zeta = 2 (y - hmin - h/2) / h
// (-1 at the bottom edge, +1 at the top); with t = y - hmin:
//   concrete: Lc2 = (lcu - lcb) zeta + lcu + lcb                       (twice its crack length)
//             depsc1 = ((U2 - U1) zeta - U2 - U1) / Lc2 - depsc0 + Depsc2InZone
//   bar:      ls = (lsu - lsb) t / h + lsb
//             r  = (2 lsb / lcb - 1) (h - t) / h + (2 lsu / lcu - 1) t / h
//             depss1 = (1 - r) ((1 + zeta) U1 + (1 - zeta) U2) / (4 ls) - depss0 + Depss2InZone
// U1, U2 solve the balance of force F and moment Mz about the band's stiffness centroid yc:
//   F  = sum_c (ZoneSigmaC - depsc0 Ec) A - sum_s (ZoneSigmaS - depss0 Es) A,  Mz the same times (y - yc)
//   a11 U1 + a12 U2 = F,  a21 U1 + a22 U2 = Mz,  with
//   a11 = sum_s (1 + zeta) (1 - r) A Es / (4 ls) + sum_c (zeta + 1) A Ec / Lc2   (a12 with 1 - zeta;
//   a21, a22 the same terms times y - yc)
//   u1 = U1 + OpeningSum1,  u2 = U2 + OpeningSum2
// A band without bars sheds its concrete stress: depsc1 = -ZoneSigmaC / Ec, U1 = U2 = 0.

#include <array>

#include "cracking/cracking.hpp"

namespace tc {

namespace {

// Normalised height in the band: -1 at the bottom edge, +1 at the top edge.
float Zeta(float t, float h) { return 2.0f * (t - h / 2.0f) / h; }

// The crack lengths of the concrete (lcb..lcu) and the bars (lsb..lsu) from the bottom edge to the top.
struct CrackLengths {
    float lcb, lcu, lsb, lsu;
};

// Twice the concrete length at normalised height zeta.
float ConcreteLength2(const CrackLengths& L, float zeta) { return (L.lcu - L.lcb) * zeta + L.lcu + L.lcb; }

// Where a bar stands in a band of height h: its height t above the bottom edge, its normalised height,
// the bar length ls and the bar ratio r there.
struct BarPlace {
    float t, zeta, ls, r;
};

BarPlace PlaceBar(const CrackLengths& L, float y, float hmin, float h) {
    BarPlace b{};
    b.t = y - hmin;
    b.zeta = Zeta(b.t, h);
    b.ls = (L.lsu - L.lsb) * b.t / h + L.lsb;
    b.r = (2.0f * L.lsb / L.lcb - 1.0f) * (h - b.t) / h + (2.0f * L.lsu / L.lcu - 1.0f) * b.t / h;
    return b;
}

}  // namespace

CrackOpenings SolveCrackZone(const Section& s, float Ec, CrackBand band, const ElementReals& ZoneSigmaC,
                             const BarReals& ZoneSigmaS, const SectionState& state, StrainCorrections& out) {
    const std::int32_t nelx = s.nelx;
    const std::int32_t nsteel = s.nsteel;
    const ElementReals& CY = s.geometry.CY;
    const ElementReals& areaC = s.geometry.AREA;
    const BarReals& SY = s.bars.SY;
    const BarReals& areaS = s.bars.AREA;
    const MaterialParameters& P = s.P;
    const ElementReals& depsc0 = state.depsc0;
    const BarReals& depss0 = state.depss0;
    const ElementReals& Depsc2InZone = state.Depsc2InZone;
    const BarReals& Depss2InZone = state.Depss2InZone;
    ElementReals& depsc1 = out.depsc;
    BarReals& depss1 = out.depss;
    const float hmax = band.hmax;
    const float hmin = band.hmin;
    CrackOpenings u = state.u;
    const CrackLengths L{P.lcb, P.lcu, P.lsb, P.lsu};
    const float Es = P.Es;

    for (std::int32_t i = 1; i <= nelx; ++i) {
        depsc1(i) = 0.0f;
    }
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        depss1(j) = 0.0f;
    }

    const float h = hmax - hmin;

    // The band's members, listed once: every later loop walks only these.
    std::array<std::int32_t, MaxElements> elementInBand;
    std::int32_t ne = 0;
    std::array<std::int32_t, MaxBars> barInBand;
    std::int32_t nb = 0;

    // Centroid of the band's axial stiffness.
    float Sc = 0.0f;
    float ScY = 0.0f;
    for (std::int32_t i = 1; i <= nelx; ++i) {
        const float cy = CY(i);
        if (ElementInBand(band, cy)) {
            const float a = areaC(i);
            Sc += a * Ec;
            ScY += a * cy * Ec;
            elementInBand[static_cast<std::size_t>(ne)] = i;
            ne += 1;
        }
    }
    float Ss = 0.0f;
    float SsY = 0.0f;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        const float sy = SY(j);
        if (BarInBand(band, sy)) {
            const float a = areaS(j);
            Ss += a * Es;
            SsY += a * sy * Es;
            barInBand[static_cast<std::size_t>(nb)] = j;
            nb += 1;
        }
    }
    // The solve needs every one of its divisors; a zero one makes the band unsolvable.
    bool zeroDivisor = h == 0.0f || Ss + Sc == 0.0f || L.lcb == 0.0f || L.lcu == 0.0f;
    const float yc = Ss + Sc == 0.0f ? 0.0f : (SsY + ScY) / (Ss + Sc);

    // Normalised height and concrete length of every band element, kept for the strain corrections.
    std::array<float, MaxElements> zetaC;
    std::array<float, MaxElements> lengthC;
    float Fc = 0.0f;
    float Mc = 0.0f;
    float Kc11 = 0.0f;
    float Kc12 = 0.0f;
    float Kc21 = 0.0f;
    float Kc22 = 0.0f;
    for (std::int32_t k = 0; k < ne; ++k) {
        const std::int32_t i = elementInBand[static_cast<std::size_t>(k)];
        const float cy = CY(i);
        const float a = areaC(i);
        const float zeta = Zeta(cy - hmin, h);
        const float Lc2 = ConcreteLength2(L, zeta);
        zetaC[static_cast<std::size_t>(k)] = zeta;
        lengthC[static_cast<std::size_t>(k)] = Lc2;
        zeroDivisor = zeroDivisor || Lc2 == 0.0f;
        const float f = ZoneSigmaC(i) - depsc0(i) * Ec;
        Fc += f * a;
        Mc += (cy - yc) * f * a;
        Kc11 -= (zeta + 1.0f) * a * Ec / Lc2;
        Kc12 -= (1.0f - zeta) * a * Ec / Lc2;
        Kc21 -= (cy - yc) * (zeta + 1.0f) * a * Ec / Lc2;
        Kc22 -= (cy - yc) * (1.0f - zeta) * a * Ec / Lc2;
    }

    // Where every band bar stands, kept for the strain corrections.
    std::array<BarPlace, MaxBars> placeS;
    float Fs = 0.0f;
    float Ms = 0.0f;
    float Ks11 = 0.0f;
    float Ks12 = 0.0f;
    float Ks21 = 0.0f;
    float Ks22 = 0.0f;
    for (std::int32_t k = 0; k < nb; ++k) {
        const std::int32_t j = barInBand[static_cast<std::size_t>(k)];
        const float sy = SY(j);
        const float a = areaS(j);
        const BarPlace place = PlaceBar(L, sy, hmin, h);
        placeS[static_cast<std::size_t>(k)] = place;
        const auto [t, zeta, ls, r] = place;
        zeroDivisor = zeroDivisor || ls == 0.0f;
        const float g = ZoneSigmaS(j) - depss0(j) * Es;
        Fs += g * a;
        Ms += (sy - yc) * g * a;
        Ks11 += (zeta + 1.0f) * (1.0f - r) * a * Es / (4.0f * ls);
        Ks12 += (1.0f - zeta) * (1.0f - r) * a * Es / (4.0f * ls);
        Ks21 += (sy - yc) * (zeta + 1.0f) * (1.0f - r) * a * Es / (4.0f * ls);
        Ks22 += (sy - yc) * (1.0f - zeta) * (1.0f - r) * a * Es / (4.0f * ls);
    }

    const float F = Fc - Fs;
    const float Mz = Mc - Ms;
    const float a11 = Ks11 - Kc11;
    const float a12 = Ks12 - Kc12;
    const float a21 = Ks21 - Kc21;
    const float a22 = Ks22 - Kc22;

    if (nb > 0) {
        const float D = a11 * a22 - a21 * a12;
        if (zeroDivisor || D == 0.0f) {
            return u;
        }
        const float U1 = (F * a22 - Mz * a12) / D;
        const float U2 = (a11 * Mz - F * a21) / D;
        u.u1 = U1;
        u.u2 = U2;
        for (std::int32_t k = 0; k < nb; ++k) {
            const std::int32_t j = barInBand[static_cast<std::size_t>(k)];
            const auto [t, zeta, ls, r] = placeS[static_cast<std::size_t>(k)];
            depss1(j) = (1.0f - r) * ((1.0f + zeta) * U1 + (1.0f - zeta) * U2) / (4.0f * ls) - depss0(j) +
                        Depss2InZone(j);
        }
        for (std::int32_t k = 0; k < ne; ++k) {
            const std::int32_t i = elementInBand[static_cast<std::size_t>(k)];
            const float zeta = zetaC[static_cast<std::size_t>(k)];
            const float Lc2 = lengthC[static_cast<std::size_t>(k)];
            depsc1(i) = ((U2 - U1) * zeta - U2 - U1) / Lc2 - depsc0(i) + Depsc2InZone(i);
        }
    } else {
        // Without bars the band's concrete simply sheds its stress; the openings are not solved.
        if (ne > 0 && Ec == 0.0f) {
            return u;
        }
        for (std::int32_t k = 0; k < ne; ++k) {
            const std::int32_t i = elementInBand[static_cast<std::size_t>(k)];
            depsc1(i) = -ZoneSigmaC(i) / Ec;
        }
    }

    u.u1 = u.u1 + state.OpeningSum.u1;
    u.u2 = u.u2 + state.OpeningSum.u2;
    return u;
}

}  // namespace tc

// SolveCrackZone: the crack openings u1 (top edge) and u2 (bottom edge) of the band that balance the
// axial force and moment of the band's concrete against its bars, and the members' strain corrections.

#include "cracking/cracking.hpp"

namespace tc {

namespace {

// Band membership: elements strictly inside, bars at the top edge count as inside.
bool ElementInBand(float y, float hmax, float hmin) { return hmin < y && y < hmax; }
bool BarInBand(float y, float hmax, float hmin) { return hmin < y && y <= hmax; }

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

void SolveCrackZone(std::int32_t nelx, std::int32_t nsteel, const ElementReals& CY, const BarReals& SY,
                    const ElementReals& areaC, const BarReals& areaS, const MaterialParameters& P, float Ec,
                    const ElementReals& ZoneSigmaC, const BarReals& ZoneSigmaS, ElementReals& depsc1,
                    BarReals& depss1, float hmax, float hmin, float& u1, float& u2, const ElementReals& depsc0,
                    const BarReals& depss0, const ElementReals& Depsc2InZone, const BarReals& Depss2InZone,
                    float OpeningSum1, float OpeningSum2) {
    const CrackLengths L{P(param::lcb), P(param::lcu), P(param::lsb), P(param::lsu)};
    const float Es = P(param::Es);

    for (std::int32_t i = 1; i <= nelx; ++i) {
        depsc1(i) = 0.0f;
    }
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        depss1(j) = 0.0f;
    }

    const float h = hmax - hmin;

    // Centroid of the band's axial stiffness.
    float Sc = 0.0f;
    float ScY = 0.0f;
    for (std::int32_t i = 1; i <= nelx; ++i) {
        if (ElementInBand(CY(i), hmax, hmin)) {
            Sc += areaC(i) * Ec;
            ScY += areaC(i) * CY(i) * Ec;
        }
    }
    float Ss = 0.0f;
    float SsY = 0.0f;
    std::int32_t nb = 0;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        if (BarInBand(SY(j), hmax, hmin)) {
            Ss += areaS(j) * Es;
            SsY += areaS(j) * SY(j) * Es;
            nb += 1;
        }
    }
    // The solve needs every one of its divisors; a zero one makes the band unsolvable.
    bool zeroDivisor = h == 0.0f || Ss + Sc == 0.0f || L.lcb == 0.0f || L.lcu == 0.0f;
    const float yc = Ss + Sc == 0.0f ? 0.0f : (SsY + ScY) / (Ss + Sc);

    float Fc = 0.0f;
    float Mc = 0.0f;
    float Kc11 = 0.0f;
    float Kc12 = 0.0f;
    float Kc21 = 0.0f;
    float Kc22 = 0.0f;
    bool hasElements = false;
    for (std::int32_t i = 1; i <= nelx; ++i) {
        if (!ElementInBand(CY(i), hmax, hmin)) {
            continue;
        }
        hasElements = true;
        const float zeta = Zeta(CY(i) - hmin, h);
        const float Lc2 = ConcreteLength2(L, zeta);
        zeroDivisor = zeroDivisor || Lc2 == 0.0f;
        const float f = ZoneSigmaC(i) - depsc0(i) * Ec;
        Fc += f * areaC(i);
        Mc += (CY(i) - yc) * f * areaC(i);
        Kc11 -= (zeta + 1.0f) * areaC(i) * Ec / Lc2;
        Kc12 -= (1.0f - zeta) * areaC(i) * Ec / Lc2;
        Kc21 -= (CY(i) - yc) * (zeta + 1.0f) * areaC(i) * Ec / Lc2;
        Kc22 -= (CY(i) - yc) * (1.0f - zeta) * areaC(i) * Ec / Lc2;
    }

    float Fs = 0.0f;
    float Ms = 0.0f;
    float Ks11 = 0.0f;
    float Ks12 = 0.0f;
    float Ks21 = 0.0f;
    float Ks22 = 0.0f;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        if (!BarInBand(SY(j), hmax, hmin)) {
            continue;
        }
        const auto [t, zeta, ls, r] = PlaceBar(L, SY(j), hmin, h);
        zeroDivisor = zeroDivisor || ls == 0.0f;
        const float g = ZoneSigmaS(j) - depss0(j) * Es;
        Fs += g * areaS(j);
        Ms += (SY(j) - yc) * g * areaS(j);
        Ks11 += (zeta + 1.0f) * (1.0f - r) * areaS(j) * Es / (4.0f * ls);
        Ks12 += (1.0f - zeta) * (1.0f - r) * areaS(j) * Es / (4.0f * ls);
        Ks21 += (SY(j) - yc) * (zeta + 1.0f) * (1.0f - r) * areaS(j) * Es / (4.0f * ls);
        Ks22 += (SY(j) - yc) * (1.0f - zeta) * (1.0f - r) * areaS(j) * Es / (4.0f * ls);
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
            return;
        }
        u1 = (F * a22 - Mz * a12) / D;
        u2 = (a11 * Mz - F * a21) / D;
        for (std::int32_t j = 1; j <= nsteel; ++j) {
            if (!BarInBand(SY(j), hmax, hmin)) {
                continue;
            }
            const auto [t, zeta, ls, r] = PlaceBar(L, SY(j), hmin, h);
            depss1(j) = (1.0f - r) * ((1.0f + zeta) * u1 + (1.0f - zeta) * u2) / (4.0f * ls) - depss0(j) +
                        Depss2InZone(j);
        }
        for (std::int32_t i = 1; i <= nelx; ++i) {
            if (!ElementInBand(CY(i), hmax, hmin)) {
                continue;
            }
            const float zeta = Zeta(CY(i) - hmin, h);
            const float Lc2 = ConcreteLength2(L, zeta);
            depsc1(i) = ((u2 - u1) * zeta - u2 - u1) / Lc2 - depsc0(i) + Depsc2InZone(i);
        }
    } else {
        // Without bars the band's concrete simply sheds its stress; the openings are not solved.
        if (hasElements && Ec == 0.0f) {
            return;
        }
        for (std::int32_t i = 1; i <= nelx; ++i) {
            if (ElementInBand(CY(i), hmax, hmin)) {
                depsc1(i) = -ZoneSigmaC(i) / Ec;
            }
        }
    }

    u1 = u1 + OpeningSum1;
    u2 = u2 + OpeningSum2;
}

}  // namespace tc

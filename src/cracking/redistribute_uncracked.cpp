// RedistributeUncracked: the plane strain increment of the uncracked part (elements outside the band
// and every bar) that brings its force and moment back to SectionN and SectionM, and the openings
// this plane adds at the band's edges. With yu the stiffness centroid of the uncracked part and
// N, M, I its force, moment about yu and bending stiffness (concrete, then bars):
//   e0 = (1 - RestraintN) (SectionN - Nc - Ns) / (Es As + Ec Ac)
//   k  = (1 - RestraintM) ((SectionCentroidY - yu) SectionN + SectionM - Mc - Ms) / (Is + Ic)
//   depsc2 = (CY - yu) k + e0 outside the band (0 inside),  depss2 = (SY - yu) k + e0 for every bar
//   Opening1 = ((hmax - yu) k + e0) lsu,  Opening2 = ((hmin - yu) k + e0) lsb   (lcu, lcb without a
//   bar in the band);  u1 = u1 + Opening1,  u2 = u2 + Opening2

#include <array>

#include "cracking/cracking.hpp"

namespace tc {

Redistribution RedistributeUncracked(const Section& s, float Ec, CrackBand band, const ElementReals& sigmaC,
                                     const BarReals& sigmaS, const StressIncrements& increments, float SectionN,
                                     float SectionM, const CrackOpenings& u, StrainCorrections& out) {
    const std::int32_t nelx = s.nelx;
    const std::int32_t nsteel = s.nsteel;
    const ElementReals& CY = s.geometry.CY;
    const ElementReals& areaC = s.geometry.AREA;
    const BarReals& SY = s.bars.SY;
    const BarReals& areaS = s.bars.AREA;
    const MaterialParameters& P = s.P;
    const float SectionCentroidY = increments.SectionCentroidY;
    const float RestraintN = increments.RestraintN;
    const float RestraintM = increments.RestraintM;
    ElementReals& depsc2 = out.depsc;
    BarReals& depss2 = out.depss;
    const float hmax = band.hmax;
    const float hmin = band.hmin;
    Redistribution r{0.0f, 0.0f, u};
    const float lcb = P.lcb;
    const float lcu = P.lcu;
    const float lsb = P.lsb;
    const float lsu = P.lsu;
    const float Es = P.Es;

    // Stiffness centroid of the uncracked part, whose elements are listed once.
    std::array<std::int32_t, MaxElements> uncracked;
    std::int32_t nu = 0;
    float Sc = 0.0f;
    float ScY = 0.0f;
    for (std::int32_t i = 1; i <= nelx; ++i) {
        const float cy = CY(i);
        if (ElementUncracked(band, cy)) {
            const float a = areaC(i);
            Sc += a * Ec;
            ScY += a * cy * Ec;
            uncracked[static_cast<std::size_t>(nu)] = i;
            nu += 1;
        }
    }
    float Ss = 0.0f;
    float SsY = 0.0f;
    std::int32_t nb = 0;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        const float sy = SY(j);
        const float a = areaS(j);
        Ss += a * Es;
        SsY += a * sy * Es;
        if (BarInBand(band, sy)) {
            nb += 1;
        }
    }

    // An uncracked part without axial stiffness takes nothing and opens nothing.
    if (Ss + Sc == 0.0f) {
        for (std::int32_t i = 1; i <= nelx; ++i) {
            depsc2(i) = 0.0f;
        }
        for (std::int32_t j = 1; j <= nsteel; ++j) {
            depss2(j) = 0.0f;
        }
        return r;
    }
    const float yu = (SsY + ScY) / (Ss + Sc);

    const float Ac = Sc;
    float Nc = 0.0f;
    float Mc = 0.0f;
    float Ic = 0.0f;
    for (std::int32_t k = 0; k < nu; ++k) {
        const std::int32_t i = uncracked[static_cast<std::size_t>(k)];
        const float dy = CY(i) - yu;
        const float a = areaC(i);
        const float sigma = sigmaC(i);
        Nc += a * sigma;
        Mc += dy * a * sigma;
        Ic += dy * dy * a * Ec;
    }
    const float As = Ss;
    float Ns = 0.0f;
    float Ms = 0.0f;
    float Is = 0.0f;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        const float dy = SY(j) - yu;
        const float a = areaS(j);
        const float sigma = sigmaS(j);
        Ns += a * sigma;
        Ms += dy * a * sigma;
        Is += dy * dy * a * Es;
    }

    float e0 = (SectionN - Nc - Ns) / (As + Ac);
    e0 = (1.0f - RestraintN) * e0;
    // The moment is moved from SectionCentroidY to yu; without bending stiffness the curvature is 0.
    float k = 0.0f;
    if (Is + Ic != 0.0f) {
        k = ((SectionCentroidY - yu) * SectionN + SectionM - Mc - Ms) / (Is + Ic);
        k = (1.0f - RestraintM) * k;
    }

    for (std::int32_t i = 1; i <= nelx; ++i) {
        const float cy = CY(i);
        depsc2(i) = ElementUncracked(band, cy) ? (cy - yu) * k + e0 : 0.0f;
    }
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        depss2(j) = (SY(j) - yu) * k + e0;
    }

    // The band's edges open by the plane's strain over the bar lengths when the band holds a bar,
    // else over the concrete lengths.
    const float eTop = (hmax - yu) * k + e0;
    const float eBot = (hmin - yu) * k + e0;
    if (nb > 0) {
        r.Opening1 = eTop * lsu;
        r.Opening2 = eBot * lsb;
    } else {
        r.Opening1 = eTop * lcu;
        r.Opening2 = eBot * lcb;
    }

    r.u.u1 = r.u.u1 + r.Opening1;
    r.u.u2 = r.u.u2 + r.Opening2;
    return r;
}

}  // namespace tc

// ComputeStressIncrements: the step's stress and strain increments by the plane section that best
// fits the free thermal strains of the uncracked concrete (elements with CrackCount 0) and the bars,
// with external restraint. With E A sums over the members (Ec for concrete, Es for bars):
//   y0   = (Ec Ac yA + Es As yS) / (Ec Ac + Es As)             the stiffness centroid
//   eps0 = sum(E A alpha dT) / sum(E A)                       the mean free strain
//   phi  = sum(E A (y - y0) (alpha dT - eps0)) / sum(E A (y - y0)^2)
//   concrete: dsigma = ((y - y0) phi + eps0 - alphaC DT) Ec + (-Rn eps0 - (y - y0) Rm phi) Ec
//   bar:      depsilon = (y - y0) (1 - Rm) phi + (1 - Rn) eps0 - alphaS DTS,  dsigma = depsilon Es
//   DSectionN, DSectionM = sums of the restraint stresses (-Rn eps0 - (y - y0) Rm phi) E times A
//                          (and times y - y0)
// Rm is Rm1 until phi changes sign against the previous step's curvature, Rm2 from then on.

#include <array>

#include "cracking/cracking.hpp"

namespace tc {

namespace {

// Every increment of the step is zero: nothing is left to carry the thermal strain.
void ClearIncrements(std::int32_t nelx, std::int32_t nsteel, StressIncrements& out) {
    for (std::int32_t e = 1; e <= nelx; ++e) {
        out.DSigmaC(e) = 0.0f;
        out.DEpsilonC(e) = 0.0f;
    }
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        out.DSigmaS(j) = 0.0f;
        out.DEpsilonS(j) = 0.0f;
    }
    out.DSectionN = 0.0f;
    out.DSectionM = 0.0f;
}

}  // namespace

void ComputeStressIncrements(const Section& s, const ElementReals& DT, const BarReals& DTS, float Ec,
                             std::int32_t nstep, const ElementInts& CrackCount, CurvatureHistory& curvature,
                             StressIncrements& out) {
    const std::int32_t nelx = s.nelx;
    const std::int32_t nsteel = s.nsteel;
    const ElementReals& CY = s.geometry.CY;
    const ElementReals& areaC = s.geometry.AREA;
    const BarReals& SY = s.bars.SY;
    const BarReals& areaS = s.bars.AREA;
    const MaterialParameters& P = s.P;
    float& PrevCurvature = curvature.PrevCurvature;
    ElementReals& DSigmaC = out.DSigmaC;
    ElementReals& DEpsilonC = out.DEpsilonC;
    BarReals& DSigmaS = out.DSigmaS;
    BarReals& DEpsilonS = out.DEpsilonS;
    const float alphac = P.alphaC;
    const float Es = P.Es;
    const float alphas = P.alphaS;

    // The curvature history starts afresh at the first analysis step.
    if (nstep == 2) {
        PrevCurvature = 0.0f;
    }
    out.RestraintN = P.Rn;
    out.RestraintM = P.Rm1;

    // The uncracked elements, listed once: the section's plane is fitted to these alone.
    std::array<std::int32_t, MaxElements> uncracked;
    std::int32_t nu = 0;
    float Ac = 0.0f;
    float Qc = 0.0f;
    float Fc = 0.0f;
    for (std::int32_t e = 1; e <= nelx; ++e) {
        if (CrackCount(e) == 0) {
            const float a = areaC(e);
            Ac += a;
            Qc += a * CY(e);
            Fc += DT(e) * a * Ec * alphac;
            uncracked[static_cast<std::size_t>(nu)] = e;
            nu += 1;
        }
    }
    if (Ac == 0.0f) {
        ClearIncrements(nelx, nsteel, out);
        return;
    }

    const float yA = Qc / Ac;
    const float EAc = Ec * Ac;
    const float EQc = Ec * Ac * yA;
    float EAs = 0.0f;
    float EQs = 0.0f;
    float Fs = 0.0f;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        EAs += areaS(j) * Es;
        EQs += areaS(j) * SY(j) * Es;
        Fs += DTS(j) * areaS(j) * alphas * Es;
    }

    // A section without axial stiffness has no strain plane: it takes no increment.
    if (EAc + EAs == 0.0f) {
        ClearIncrements(nelx, nsteel, out);
        return;
    }
    const float eps0 = (Fs + Fc) / (EAc + EAs);
    const float y0 = (EQc + EQs) / (EAc + EAs);
    out.SectionCentroidY = y0;

    float Kc = 0.0f;
    float Ic = 0.0f;
    for (std::int32_t k = 0; k < nu; ++k) {
        const std::int32_t e = uncracked[static_cast<std::size_t>(k)];
        const float dy = CY(e) - y0;
        const float a = areaC(e);
        Kc += dy * (DT(e) * alphac - eps0) * a * Ec;
        Ic += dy * dy * a * Ec;
    }
    float Ks = 0.0f;
    float Is = 0.0f;
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        Ks += (SY(j) - y0) * (DTS(j) * alphas - eps0) * areaS(j) * Es;
        Is += (SY(j) - y0) * (SY(j) - y0) * areaS(j) * Es;
    }
    // Without bending stiffness (every member at the centroid height) the curvature is 0.
    float phi = 0.0f;
    if (Is + Ic != 0.0f) {
        phi = (Ks + Kc) / (Is + Ic);
    }

    // Once the curvature has changed sign the bending restraint stays at Rm2 for good.
    const float p = phi * PrevCurvature;
    PrevCurvature = phi;
    if (p < 0.0f || curvature.RmSwitched) {
        out.RestraintM = P.Rm2;
        curvature.RmSwitched = true;
    }
    const float Rn = out.RestraintN;
    const float Rm = out.RestraintM;

    float sectionN = 0.0f;
    float sectionM = 0.0f;
    for (std::int32_t e = 1; e <= nelx; ++e) {
        const float dy = CY(e) - y0;
        float sigmaIn = 0.0f;
        float sigmaEx = 0.0f;
        if (CrackCount(e) == 0) {
            sigmaIn = (dy * phi + eps0 - DT(e) * alphac) * Ec;
            sigmaEx = (-Rn * eps0 - dy * Rm * phi) * Ec;
        }
        const float dsigma = sigmaEx + sigmaIn;
        DSigmaC(e) = dsigma;
        // Concrete without a modulus takes no strain increment from a stress increment.
        DEpsilonC(e) = Ec == 0.0f ? 0.0f : dsigma / Ec;
        const float a = areaC(e);
        sectionN += a * sigmaEx;
        sectionM += dy * a * sigmaEx;
    }
    for (std::int32_t j = 1; j <= nsteel; ++j) {
        const float dy = SY(j) - y0;
        const float deps = dy * (1.0f - Rm) * phi + (1.0f - Rn) * eps0 - DTS(j) * alphas;
        DEpsilonS(j) = deps;
        DSigmaS(j) = deps * Es;
        const float sigmaEx = (-Rn * eps0 - dy * Rm * phi) * Es;
        const float a = areaS(j);
        sectionN += sigmaEx * a;
        sectionM += dy * sigmaEx * a;
    }
    out.DSectionN = sectionN;
    out.DSectionM = sectionM;
}

}  // namespace tc

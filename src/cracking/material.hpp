#pragma once
// The job's material parameters, by name: the concrete's strength law, the crack lengths, the bars'
// modulus, the thermal expansions, the external restraint and the judge value. Units are those of
// the input deck: N/mm2 for stresses and moduli, mm for lengths, 1/C for the expansions.

namespace tc {

struct MaterialParameters {
    float Sigma91day = 0.0f;  // "Sigma-91day": strength scale of fc(t) = Sigma91day t / (a + b t), N/mm2
    float ParameterA = 0.0f;  // "Parameter-A": a of the strength law, days
    float ParameterB = 0.0f;  // "Parameter-B": b of the strength law, no unit
    float ParameterC = 0.0f;  // "Parameter-C": tensile strength ft = ParameterC sqrt(fc)
    float FcToEc = 0.0f;      // "fc -> Ec": modulus Ec = FcToEc sqrt(fc) (times the early-age factor)
    float alphaC = 0.0f;      // "Thermal exp coeff. of Conc.", 1/C
    float lcb = 0.0f;         // concrete length over which the opening spreads at the band's bottom edge, mm
    float lcu = 0.0f;         // the same at the band's top edge, mm
    float lsb = 0.0f;         // bar length over which the opening spreads at the bottom edge, mm
    float lsu = 0.0f;         // the same at the top edge, mm
    float Es = 0.0f;          // modulus of the bars, N/mm2
    float alphaS = 0.0f;      // "Thermal exp. coeff of Reinf.", 1/C (fixed at 1.0E-5, not read)
    float Rn = 0.0f;          // external restraint of the axial strain, 0 (free) to 1 (held)
    float Rm1 = 0.0f;         // external restraint of the curvature
    float Rm2 = 0.0f;         // restraint of the curvature once the curvature has changed sign
    float judge = 0.0f;       // "Crack Index for Judge": an element cracks when sigma-C judge > ft
};

}  // namespace tc

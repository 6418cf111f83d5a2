// The fixed input of a run: switches, bar count, material parameters and bars from the input deck,
// counts, nodes and elements from the mesh file, and the echo print of all of it on the list file.

#include "run/input_deck.hpp"

#include <charconv>
#include <string>

#include "mesh/mesh.hpp"

namespace tc {

namespace {

// "unit 20 (./job/x.dat), read of record 2: " - the place of a refused item.
std::string Place(const Unit& unit, std::int64_t record) { return unit.Place("read", record) + ": "; }

// " (columns 1-5)": the field of a refused value.
std::string Columns(std::int32_t first, std::int32_t last) {
    return " (columns " + std::to_string(first) + "-" + std::to_string(last) + ")";
}

std::string Number(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The material parameters in the order of the echo print (and, but for the switched Es and judge
// value and the unread alphaS, of the deck's records).
using EchoOrder = Table<float, 16>;

EchoOrder InEchoOrder(const MaterialParameters& P) {
    EchoOrder o;
    const float values[16] = {P.Sigma91day, P.ParameterA, P.ParameterB, P.ParameterC, P.FcToEc, P.alphaC,
                              P.lcb,        P.lcu,        P.lsb,        P.lsu,        P.Es,     P.alphaS,
                              P.Rn,         P.Rm1,        P.Rm2,        P.judge};
    for (std::int32_t i = 1; i <= 16; ++i) o(i) = values[i - 1];
    return o;
}

MaterialParameters FromEchoOrder(const EchoOrder& o) {
    return {o(1), o(2), o(3), o(4), o(5), o(6), o(7), o(8), o(9), o(10), o(11), o(12), o(13), o(14), o(15), o(16)};
}

void RefuseCount(const Unit& unit, std::int64_t record, std::int32_t first, const char* name, std::int32_t value,
                 std::int32_t capacity, const char* what) {
    if (value > capacity) {
        throw RunError(Place(unit, record) + name + " = " + std::to_string(value) + Columns(first, first + 4) +
                       " is above the capacity of " + std::to_string(capacity) + " " + what);
    }
}

void RefuseBelowOne(const Unit& unit, std::int64_t record, std::int32_t first, const char* name,
                    std::int32_t value, const char* what) {
    if (value < 1) {
        throw RunError(Place(unit, record) + name + " = " + std::to_string(value) + Columns(first, first + 4) +
                       ": the mesh needs at least one " + what);
    }
}

}  // namespace

void EchoInputDeck(Unit& list, const JobInput& job, std::int32_t firstPart, std::int32_t lastPart) {
    const auto wanted = [&](std::int32_t part) { return firstPart <= part && part <= lastPart; };
    if (wanted(1)) {
        Write(list, "(5X,'***** Echo print of input data  *****',/,/,5X,'                     IECHO=',I1,/,5X,'                     Iinit=',I1,/)",
              job.IECHO, job.Iinit);
    }
    if (wanted(2)) {
        Write(list, "(10X,'NX     =',I5,/,10X,'NELX   =',I5,/,10X,'NSTEEL =',I5,/,10X,'THKALL =',F10.3,/,/)", job.NX,
              job.NELX, job.NSTEEL, job.THKALL);
    }
    if (wanted(3)) {
        Write(list, "(/,/,10X,'*****  Material parameters  *****',/)");
    }
    if (wanted(4)) {
        Write(list, "(17X,'Sigma-91day                 =',F10.3,/,17X,'Parameter-A                 =',F10.3,/,17X,'Parameter-B                 =',F10.3,/,17X,'Parameter-C                 =',F10.3,/,17X,'fc -> Ec                    =',F10.3,/,17X,'Thermal exp coeff. of Conc. =',E10.3,/,17X,'lcb                         =',F10.3,/,17X,'lcu                         =',F10.3,/,17X,'lsb                         =',F10.3,/,17X,'lsu                         =',F10.3,/,17X,'Es                          =',E10.3,/,17X,'Thermal exp. coeff of Reinf.=',E10.3,/,17X,'Rn                          =',F10.3,/,17X,'Rm1                         =',F10.3,/,17X,'Rm2                         =',F10.3,/,17X,'Crack Index for Judge       =',F10.3,/)",
              Entries(InEchoOrder(job.material), 1, 16));
    }
    if (job.IECHO < 2) return;

    // The "No." columns hold the positions of the records, not the numbers read from them.
    if (wanted(5)) {
        Write(list, "(20X,'*****  COORDINATES   *****',/,10X,'   No.          X           Y   (mm)')");
        for (std::int32_t i = 1; i <= job.NX; ++i) {
            Write(list, "(10X,I5,2X,F10.3,2X,F10.3)", i, job.nodes.X(i), job.nodes.Y(i));
        }
    }
    if (wanted(6)) {
        Write(list, "(/,/,20X,'*****  COORDINATE OF REINFORCEMENTS  *****',/,10X,'  No.        SX        SY     AREA      ELEM')");
        for (std::int32_t b = 1; b <= job.NSTEEL; ++b) {
            Write(list, "(10X,I5,3F10.1,I10)", b, job.bars.SX(b), job.bars.SY(b), job.bars.AREA(b), job.bars.ELEM(b));
        }
    }
    if (wanted(7)) {
        Write(list, "(/,/,10X,'*****   Node - Element data   *****',/,5X,'  No.   Node-1    Node-2    Node-3    Node-4',8X,'Thickness')");
        for (std::int32_t e = 1; e <= job.NELX; ++e) {
            Write(list, "(5X,I4,4(2X,I8),3X,3X,F10.3)", e, job.elements.node[0](e), job.elements.node[1](e),
                  job.elements.node[2](e), job.elements.node[3](e), job.elements.thickness(e));
        }
    }
}

void ReadInputDeck(Unit& deck, Unit& mesh, Unit& list, JobInput& job) {
    // Switches and bar count, then the mesh counts; the other integers of H1 and H3 must be valid
    // integer fields but are not kept.
    Read(deck, "(2I5)", job.IECHO, job.Iinit);
    Read(deck, "(3I5,F10.0)", job.NSTEEL);
    const std::int64_t nsteelRecord = deck.records();
    std::int32_t unused[3] = {0, 0, 0};
    Read(mesh, "(3I5,F10.0)", unused[0]);
    Read(mesh, "(3I5,F10.0)", job.NX, job.NELX);
    const std::int64_t countRecord = mesh.records();
    Read(mesh, "(3I5,F10.0)", unused[0], unused[1], unused[2]);

    job.THKALL = 0.0f;
    EchoInputDeck(list, job, 1, 2);

    // The counts are refused after they are echoed, so the list file shows the offending value.
    RefuseCount(mesh, countRecord, 1, "NX", job.NX, MaxNodes, "nodes");
    RefuseBelowOne(mesh, countRecord, 1, "NX", job.NX, "node");
    RefuseCount(mesh, countRecord, 6, "NELX", job.NELX, MaxElements, "elements");
    RefuseBelowOne(mesh, countRecord, 6, "NELX", job.NELX, "element");
    RefuseCount(deck, nsteelRecord, 1, "NSTEEL", job.NSTEEL, MaxBars, "bars");

    EchoOrder P;
    Read(deck, "(7E12.5)", Entries(P, 1, 6));
    Read(deck, "(7E12.5)", Entries(P, 7, 10));
    Read(deck, "(7E12.5)", P(11), P(16));
    Read(deck, "(7E12.5)", Entries(P, 13, 15));
    P(12) = 1.0E-5f;
    job.material = FromEchoOrder(P);
    EchoInputDeck(list, job, 3, 4);

    std::int32_t number = 0;
    for (std::int32_t i = 1; i <= job.NX; ++i) {
        Read(mesh, "(I10,2F10.0)", number, job.nodes.X(i), job.nodes.Y(i));
    }
    ElementTable& el = job.elements;
    for (std::int32_t e = 1; e <= job.NELX; ++e) {
        Read(mesh, "(I10,4I6,F8.0)", number, el.node[0](e), el.node[1](e), el.node[2](e), el.node[3](e),
             el.thickness(e));
        for (std::int32_t k = 1; k <= 4; ++k) {
            const std::int32_t n = el.node[static_cast<std::size_t>(k - 1)](e);
            if (n < 1 || n > job.NX) {
                // Node-k lies in columns 11-16, 17-22, 23-28 or 29-34 of "(I10,4I6,F8.0)".
                throw RunError(Place(mesh, mesh.records()) + "element " + std::to_string(e) + ", Node-" +
                               std::to_string(k) + " = " + std::to_string(n) + Columns(6 * k + 5, 6 * k + 10) +
                               " is outside the nodes 1 to " + std::to_string(job.NX));
            }
        }
    }
    const std::int64_t firstBarRecord = deck.records() + 1;
    for (std::int32_t b = 1; b <= job.NSTEEL; ++b) {
        Read(deck, "(I5,3F15.1)", number, job.bars.SX(b), job.bars.SY(b), job.bars.AREA(b));
    }

    LocateBars(job.nodes.X, job.nodes.Y, job.elements, job.NELX, job.NSTEEL, job.bars.SX, job.bars.SY,
               job.bars.ELEM);
    EchoInputDeck(list, job, 5, 7);

    // A bar outside every element has no temperature and no place in the section: refused after the
    // echo, so the listing with ELEM 0 stays in the list file.
    for (std::int32_t b = 1; b <= job.NSTEEL; ++b) {
        if (job.bars.ELEM(b) == 0) {
            throw RunError(Place(deck, firstBarRecord + b - 1) + "bar " + std::to_string(b) + " at SX = " +
                           Number(job.bars.SX(b)) + ", SY = " + Number(job.bars.SY(b)) + " lies in no element");
        }
    }
}

}  // namespace tc

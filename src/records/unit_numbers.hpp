#pragma once
// The unit numbers of a run's files, in one table for every layer: the files are opened, and
// named in error messages, by these numbers.

#include <cstdint>

namespace tc::unit {

inline constexpr std::int32_t InitialState = 4;     // w.dat, the initial state (Iinit 1 or 2)
inline constexpr std::int32_t Deck = 10;            // .inp, the input deck
inline constexpr std::int32_t Mesh = 20;            // .dat, the mesh (the heat analysis reads it too)
inline constexpr std::int32_t Path = 30;            // path.dat, naming the job folder
inline constexpr std::int32_t Title = 31;           // title.dat, naming the job
inline constexpr std::int32_t Temperature = 56;     // .tmp, the node temperature history
inline constexpr std::int32_t List = 70;            // .out, the listing
inline constexpr std::int32_t BarStress = 80;       // .hss
inline constexpr std::int32_t CrackIndex = 81;      // .hci
inline constexpr std::int32_t CrackWidth = 82;      // .hwd
inline constexpr std::int32_t CrackedList = 83;     // .hcr
inline constexpr std::int32_t ZoneDepth = 84;       // .hdp
inline constexpr std::int32_t ConcreteStress = 85;  // .hst
inline constexpr std::int32_t Status = 86;          // .sta
inline constexpr std::int32_t JudgementIndex = 87;  // .hcj

}  // namespace tc::unit

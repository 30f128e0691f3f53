// IAPWS-95 release, Table 8: saturation states at 275, 450 and 625 K.
#pragma once

namespace vornex::testing {

struct SaturationCheck {
    double T;           // K
    double p;           // MPa
    double rhoL, rhoV;  // kg/m3
    double hL, hV;      // kJ/kg
    double sL, sV;      // kJ/(kg K)
};

inline constexpr SaturationCheck kTable8[] = {
    {275, 0.698451167e-3, 999.887406, 0.550664919e-2, 7.75972202, 2504.28995, 0.0283094670,
     9.10660121},
    {450, 0.932203564, 890.341250, 4.81200360, 749.161585, 2774.41078, 2.10865845, 6.60921221},
    {625, 16.9082693, 567.090385, 118.290280, 1686.26976, 2550.71625, 3.80194683, 5.18506121}};

}  // namespace vornex::testing

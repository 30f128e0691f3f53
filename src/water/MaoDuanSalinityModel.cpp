#include "water/MaoDuanSalinityModel.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>

#include "water/PotterBrown.h"
#include "water/WagnerPruss.h"
#include "water/WaterActivity.h"

namespace vornex {

namespace {

// Mao and Duan (2008), Table 3 and the validity ranges, per salt: T min, T max (K), P min,
// P max (Pa), m max, m_r (mol/kg), then c1 .. c23.
constexpr double kCoefficients[7][29] = {
    // NaCl
    {273.15,
     573.15,
     100000,
     1e8,
     6.0,
     6.0,
     1066.07098,
     -0.00839622456,
     0.000535429127,
     7.55373789e-07,
     -0.419512335,
     0.00145082899,
     -3.47807732e-06,
     0,
     0.0110913788,
     0.00114498252,
     -5.5118127e-06,
     7.05483955e-09,
     -0.0505734723,
     -0.000132747828,
     4.77261581e-06,
     -1.76888377e-08,
     0,
     0.000640541237,
     0.000307698827,
     -0.000164042763,
     7.06784935e-07,
     -6.50338372e-10,
     -0.000450906014},
    // LiCl
    {273.15,
     564.15,
     100000,
     4e7,
     10.0,
     10.0,
     1172.7148,
     0.140527916,
     -0.000553962649,
     1.72402126e-06,
     -1.57184556,
     0.00889959461,
     -1.52090064e-05,
     0,
     0.00733553879,
     0.000406701494,
     -2.38873863e-06,
     3.94900863e-09,
     -0.0356131664,
     -6.18472877e-05,
     3.00484214e-06,
     -1.02229075e-08,
     0,
     0.000235592818,
     -0.000268117086,
     -2.17228726e-05,
     1.19732313e-07,
     -1.51104808e-10,
     0.000383403994},
    // CaCl2
    {273.15,
     523.15,
     100000,
     6e7,
     6.0,
     5.0,
     1120.80057,
     -0.261669538,
     0.0015204296,
     -6.89131095e-07,
     -0.511802652,
     0.00222234857,
     -5.66464544e-06,
     2.92950266e-09,
     0.0243934633,
     -0.00142746873,
     7.35840529e-06,
     -9.4361548e-09,
     -0.0518606814,
     -6.16536928e-05,
     -1.04523561e-05,
     4.52637296e-08,
     -1.05076158e-10,
     0.00231544709,
     -0.00109663211,
     0.000190836111,
     -9.25997994e-07,
     1.54388261e-09,
     -0.0129354832},
    // KCl
    {273.15,
     543.15,
     100000,
     5e7,
     4.5,
     6.0,
     290.812061,
     6.54111195,
     -0.0161831978,
     1.46280384e-05,
     14.1397987,
     -0.10726623,
     0.000264506021,
     -2.19789708e-07,
     0.0302182158,
     -0.00215621394,
     9.24163206e-06,
     -1.10089434e-08,
     0.0287018859,
     -0.000673119697,
     0.000168332473,
     -7.9964564e-07,
     1.1188156e-09,
     -0.00659292385,
     -0.00202369103,
     -0.000170609099,
     1.00510108e-06,
     -1.86624642e-09,
     0.0191919166},
    // MgCl2
    {273.15,
     543.15,
     100000,
     3e7,
     3.0,
     2.0,
     1188.80927,
     -1.43194546,
     0.0038797322,
     -2.20330377e-06,
     6.38745038,
     -0.0551728055,
     0.000150231562,
     -1.35757912e-07,
     0.00843627549,
     0.00525365072,
     -1.872041e-05,
     4.20263897e-08,
     -1.18062548,
     0.000607424747,
     -0.00012026821,
     5.23784551e-07,
     -8.23940319e-10,
     0.00975167613,
     -0.000492959181,
     -0.000273642775,
     5.42602386e-07,
     -1.95602825e-09,
     0.100921935},
    // type 5
    {298.15,
     473.15,
     100000,
     2e6,
     2.0,
     2.0,
     1118.94213,
     -0.737321458,
     0.00177908655,
     0,
     0,
     0,
     0,
     0,
     0.022122568,
     0.000662517291,
     -2.3729605e-06,
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     -0.0042130043,
     0,
     9.46738388e-08,
     0,
     0},
    // type 6
    {273.15,
     473.15,
     100000,
     2e7,
     1.6,
     1.5,
     1102.29139,
     -0.753497776,
     0.00192829036,
     0,
     0,
     -0.0011540691,
     0,
     0,
     0.0257437715,
     0.000164541676,
     -9.30035886e-07,
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     0,
     0},
};

// L(I) = ln(1 + 1.2 sqrt(I)) / 2.4
double debyeHuckelVolumeTerm(double ionicStrength) {
    return std::log(1.0 + 1.2 * std::sqrt(ionicStrength)) / 2.4;
}

}  // namespace

MaoDuanSalinityModel::MaoDuanSalinityModel(int v) : water_(std::make_unique<WagnerPruss>(2)) {
    setSystemType(DM_NaCl);
    version = v;
}

MaoDuanSalinityModel::~MaoDuanSalinityModel() = default;

void MaoDuanSalinityModel::setSystemType(int type) {
    DensityModel::setSystemType(type);
    if (type < 0 || type > 6) return;
    const double* row = kCoefficients[type];
    Tmin = row[0];
    Tmax = row[1];
    Pmin = row[2];
    Pmax = row[3];
    mMax = row[4];
    mr = row[5];
    for (int i = 0; i < 23; ++i) c[i] = row[6 + i];
}

bool MaoDuanSalinityModel::pureWater(double& Vw, double& dVdP) {
    double dPdV = 0.0;
    if (version == 0) {
        water_->temperature(T);
        water_->pressure(P * 1e-5);
        water_->calculate_molar_volume();
        if (water_->error) return false;
        Vw = water_->V;
        dPdV = water_->dPdV;
    } else if (version == 1) {
        Vw = WaterEOS::calculateSpiveyLiquidVolume(T, P * 1e-5, &dPdV);
    } else {
        return false;
    }
    dVdP = 1.0 / dPdV;
    return std::isfinite(Vw) && Vw > 0.0 && std::isfinite(dVdP);
}

double MaoDuanSalinityModel::calculate_density() {
    error = 0;
    // Refused outside the fitted range: beyond it the pure-water volume and the dielectric
    // constant leave their own ranges and the density is no longer a brine's. Below 1 bar,
    // down to the vapour pressure, the pressure term is negligible and the pressure searches
    // of the solubility models pass there; below the vapour pressure the brine is steam.
    const BrineRange range{Tmin, Tmax, 0.0, Pmax, mMax};
    double Vw, dVdP;
    if (!range.holds(T, P, m) || !atOrAboveVapourPressure() || !pureWater(Vw, dVdP)) {
        error = 1;
        density = 0.0;
        return 0.0;
    }
    double rhoW = kWaterMolarMass / Vw;
    double dRhoWdP = -rhoW / Vw * dVdP;
    double dEdP;
    double eps = water::epsilonBradleyPitzer(T, P * 1e-5, &dEdP);
    dEdP *= 1e-5;  // per Pa
    // A_V = -4 R T dA_phi/dP, A_phi = (1/3) (2 pi N_A)^0.5 (e^2/(4 pi eps0 k T))^1.5
    //                                 rho_w^0.5 eps^-1.5.
    double dGroupdP = 0.5 / std::sqrt(rhoW) * dRhoWdP * std::pow(eps, -1.5) -
                      1.5 * std::sqrt(rhoW) * std::pow(eps, -2.5) * dEdP;
    double RT = kGasConstant * T;
    double AV = -4.0 * RT / 3.0 * std::sqrt(3.783820108259437e24) *
                std::pow(2.566971139329e-38 / (1.536189334327748e-33 * T), 1.5) * dGroupdP;

    double chargeSum = 0.5 * (nuPlus * zPlus * zPlus + nuMinus * zMinus * zMinus);
    double L = debyeHuckelVolumeTerm(chargeSum * m);
    double Lr = debyeHuckelVolumeTerm(chargeSum * mr);

    double PMPa = 1e-6 * P, T2 = T * T, T3 = T2 * T;
    double Vr =
        c[0] + c[1] * T + c[2] * T2 + c[3] * T3 + PMPa * (c[4] + c[5] * T + c[6] * T2 + c[7] * T3);
    double B = c[8] / (T - 227.0) + c[9] + c[10] * T + c[11] * T2 + c[12] / (647.0 - T) +
               PMPa * (c[13] / (T - 227.0) + c[14] + c[15] * T + c[16] * T2 + c[17] / (647.0 - T));
    double C = c[18] / (T - 227.0) + c[19] + c[20] * T + c[21] * T2 + c[22] / (647.0 - T);

    double zz = std::fabs(zPlus * zMinus);
    double waterVolume = 1e6 / rhoW;  // cm3 per kg of water
    double solution =
        (m / mr) * Vr + (1.0 - m / mr) * waterVolume + zz * nu * AV * (L - Lr) * 1e6 * m +
        2.0 * nuPlus * nuMinus * RT * m * ((m - mr) * B + (m * m - mr * mr) * nuPlus * zPlus * C);
    specificVolume = solution / (1000.0 + 1000.0 * m * saltMolarMass) * 0.001;
    if (!std::isfinite(specificVolume) || !(specificVolume > 0.0)) {
        error = 1;
        density = 0.0;
        return 0.0;
    }
    density = 1.0 / specificVolume;
    V = meanMolarMass / density;
    // (V - V_w)/m, the form above divided by m, without its loss of digits at small m; at
    // m = 0 (L(0) = 0) its limit, the salt's standard volume.
    apparentMolarVolume =
        (Vr - waterVolume) / mr + zz * nu * AV * (L - Lr) * 1e6 +
        2.0 * nuPlus * nuMinus * RT * ((m - mr) * B + (m * m - mr * mr) * nuPlus * zPlus * C);
    return density;
}

void MaoDuanSalinityModel::compare_with_Potter_Brown() {
    vornex::cprintf("%12s %12s %12s %12s %12s %12s \n\n", "m", "T (°C)", "P (bar)", "rho_Mao (kg/m3)",
                "rho_Pot (kg/m3)", "dev (%)");
    int n = 0;
    double sum = 0.0;
    for (int im = 0; im < PotterBrown::kMolalities; ++im) {
        for (int it = 0; it < 12; ++it) {
            for (int ip = 0; ip < 10; ++ip) {
                double table = 1000.0 * PotterBrown::node(im, it, ip);
                if (table == 0.0) continue;
                double molal = PotterBrown::kMolalityAxis[im];
                double tC = PotterBrown::kTemperatureAxis[it];
                double Pbar = PotterBrown::kPressureAxis[ip];
                temperature(tC + 273.15);
                pressure(Pbar);
                molality(molal);
                double rho = calculate_density();
                if (error) continue;
                double deviation = 100.0 * (rho - table) / table;
                vornex::cprintf("%12lf %12lf %12lf %12lf %12lf %12lf\n", molal, tC, Pbar, rho, table,
                            deviation);
                ++n;
                sum += deviation;
            }
        }
    }
    vornex::cprintf("n %d dev %f\n", n, n > 0 ? sum / n : 0.0);
}

double WaterEOS::calculate_Mao_Duan_density(double TK, double Pbar, double m) {
    MaoDuanSalinityModel model(1);
    model.temperature(TK);
    model.pressure(Pbar);
    model.molality(m);
    const double rho = model.calculate_density();
    return model.error ? std::nan("") : rho;
}

}  // namespace vornex

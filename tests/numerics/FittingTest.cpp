#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "numerics/Fitting.h"
#include "numerics/TextCapture.h"
#include "numerics/Decimal.h"

namespace vornex {
namespace {

// Y = Z = p0 + p1 x.
struct StraightLine : Equation {
    void model(double* x, double* p, double& Y, double& Z, double*, int&) {
        Y = p[0] + p[1] * x[0];
        Z = Y;
    }
};

// Rises with slope 1 overall but falls with slope -1 inside every tooth of width 1e-6, so
// the local derivative always points the wrong way and no step is ever accepted.
struct Sawtooth : Equation {
    void model(double*, double* p, double& Y, double&, double*, int&) {
        const double tooth = 1e-6;
        Y = p[0] - 2.0 * (p[0] - tooth * std::floor(p[0] / tooth));
    }
};

// Y = p0 x.
struct Proportional : Equation {
    void model(double* x, double* p, double& Y, double& Z, double*, int&) {
        Y = p[0] * x[0];
        Z = Y;
    }
};

// Y = p0 + extra[0]: the extra value reaches the model per point.
struct Offset : Equation {
    int failWith = 0;
    void model(double*, double* p, double& Y, double&, double* extra, int& error) {
        if (failWith != 0) error = failWith;
        Y = p[0] + extra[0];
    }
};

// Pearson's (1901) points with York's (1966) weights, the classic test of straight-line
// fits with errors in both variables; sigma = 1/sqrt(w).
const std::vector<double> pearsonX = {0, 0.9, 1.8, 2.6, 3.3, 4.4, 5.2, 6.1, 6.5, 7.4};
const std::vector<double> pearsonY = {5.9, 5.4, 4.4, 4.6, 3.5, 3.7, 2.8, 2.8, 2.4, 1.5};
const std::vector<double> yorkWx = {1000, 1000, 500, 800, 200, 80, 60, 20, 1.8, 1};
const std::vector<double> yorkWy = {1, 1.8, 4, 8, 20, 20, 70, 70, 100, 500};

class FittingRegression : public ::testing::Test {
   protected:
    StraightLine line;
    std::unique_ptr<Fitting> fit = std::make_unique<Fitting>();
    std::string historyName;

    // A fit of one variable of the given model, with `extra` values per point.
    template <class Model>
    void setUp(Model& model, int points, int parameters, short type, const char* history,
               int extra = 0) {
        fit->model = &model;
        fit->function = static_cast<FittingModel>(&Model::model);
        fit->numberOfPoints = points;
        fit->numberOfParameters = parameters;
        fit->numberOfVariables = 1;
        fit->numberOfExtra = extra;
        test::stdoutOf([&] { fit->allocate_memory(); });
        fit->initialize();
        fit->set_type_of_regression(type);
        historyName = history;
        ASSERT_TRUE(fit->set_history(history));
    }
    // The York set; yScale multiplies the Y variances.
    void setUpYork(short type, double yScale, const char* history) {
        setUp(line, 10, 2, type, history);
        std::vector<double> x = pearsonX, y = pearsonY, vx(10), vy(10);
        for (int i = 0; i < 10; ++i) {
            vx[i] = 1.0 / yorkWx[i];
            vy[i] = yScale / yorkWy[i];
        }
        fit->read_Xm(0, x.data());
        fit->read_Ym(y.data());
        fit->read_Zm(y.data());
        fit->read_EvX(0, vx.data());
        fit->read_EvY(vy.data());
        fit->read_EvZ(vy.data());
        double start[2] = {5.0, -0.5};
        fit->set_initial_parameters(start);
        fit->tolerance = 1e-13;
        fit->maxIterations = 60;
        fit->variableLimit = 2;  // the true x may lie below 0
        fit->printLevel = 1;
    }
    // Type 3 (Y only) through the points with standard deviations sd.
    void setUpLine(std::vector<double> x, std::vector<double> y, std::vector<double> sd,
                   const char* history) {
        setUp(line, int(x.size()), 2, 3, history);
        fit->read_Xm(0, x.data());
        fit->read_Ym(y.data());
        fit->read_sdY(sd.data());
        double start[2] = {0, 1};
        fit->set_initial_parameters(start);
    }
    std::string finish() {
        fit.reset();
        return test::readFile(historyName);
    }
    // The history of one iteration of the fit set up.
    std::string oneIteration() {
        fit->maxIterations = 0;
        short err = -1;
        fit->regres(err);
        EXPECT_EQ(err, 0);
        return finish();
    }
};

// A protocol line with the step factor `al` as the fit prints it.
std::string withFactor(const char* format, double al) {
    char line[80];
    vornex::csnprintf(line, sizeof line, format, al);
    return line;
}

TEST_F(FittingRegression, YorkStraightLineOnPearsonData) {
    setUpYork(1, 1.0, "york.hist");
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(fit->p[0], 5.47991, 1e-5);
    EXPECT_NEAR(fit->p[1], -0.480533, 1e-6);
    // The minimum of the weighted sum, from York's closed form of the residual of each
    // point: S = sum W (y - a - b x)^2 with W = wx wy / (wx + b^2 wy).
    const double a = fit->p[0], bb = fit->p[1];
    double sum = 0;
    for (int i = 0; i < 10; ++i) {
        const double W = yorkWx[i] * yorkWy[i] / (yorkWx[i] + bb * bb * yorkWy[i]);
        sum += W * std::pow(pearsonY[i] - a - bb * pearsonX[i], 2);
    }
    EXPECT_NEAR(fit->ssqNew, sum, 1e-9 * sum);
    EXPECT_NEAR(fit->variance, fit->ssqNew / 8, 1e-12);
}

TEST_F(FittingRegression, SecondResponseCountsLikeDoubledWeights) {
    // Z is a copy of Y with the same variances: type 0 must land where type 1 lands with
    // the Y variances halved.
    setUpYork(1, 0.5, "halved.hist");
    short err = -1;
    fit->regres(err);
    ASSERT_EQ(err, 0);
    const double a = fit->p[0], slope = fit->p[1];
    fit = std::make_unique<Fitting>();
    setUpYork(0, 1.0, "twice.hist");
    fit->regres(err);
    ASSERT_EQ(err, 0);
    EXPECT_NEAR(fit->p[0], a, 1e-8);
    EXPECT_NEAR(fit->p[1], slope, 1e-9);
}

TEST_F(FittingRegression, LinearModelReachesTheMinimumInOneStep) {
    // Type 3 on data off a line: weighted least squares in closed form.
    std::vector<double> x = {0, 1, 2, 3, 4}, y = {1.1, 2.9, 5.2, 7.1, 8.8},
                        sd = {0.1, 0.2, 0.1, 0.3, 0.2};
    setUpLine(x, y, sd, "linear.hist");
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(fit->iteration, 2);
    double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0;
    for (int i = 0; i < 5; ++i) {
        const double w = 1 / (sd[i] * sd[i]);
        s0 += w, s1 += w * x[i], s2 += w * x[i] * x[i], t0 += w * y[i], t1 += w * x[i] * y[i];
    }
    const double det = s0 * s2 - s1 * s1;
    EXPECT_NEAR(fit->p[0], (s2 * t0 - s1 * t1) / det, 1e-7);
    EXPECT_NEAR(fit->p[1], (s0 * t1 - s1 * t0) / det, 1e-7);
    EXPECT_DOUBLE_EQ(fit->variance, fit->ssqNew / 3);
    // Unscaled covariance of the slope is s0/det; the summary scales it by the variance.
    EXPECT_NEAR(fit->covariance[1][1], fit->variance * s0 / det, 1e-9 * fit->covariance[1][1]);
}

TEST_F(FittingRegression, AsManyParametersAsPointsDoesNotDivideByZero) {
    setUpLine({1, 3}, {2, 8}, {0.5, 0.5}, "square.hist");
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(fit->p[0], -1, 1e-7);
    EXPECT_NEAR(fit->p[1], 3, 1e-7);
    EXPECT_TRUE(std::isfinite(fit->variance));
    for (int j = 0; j < 2; ++j) {
        EXPECT_TRUE(std::isfinite(fit->sdp[j]));
        EXPECT_GT(fit->sdp[j], 0);
    }
    const std::string text = finish();
    EXPECT_NE(text.find("No degrees of freedom left"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
}

TEST_F(FittingRegression, IterationLimitEndsFitWhoseStepsAreNeverAccepted) {
    Sawtooth saw;
    setUp(saw, 3, 1, 3, "saw.hist");
    std::vector<double> ones = {1, 1, 1};
    fit->read_Ym(ones.data());
    fit->read_sdY(ones.data());
    double start[1] = {0.5e-6}, perturbation[1] = {1e-9};
    fit->set_initial_parameters(start);
    fit->set_parameters_pertubation(perturbation);
    fit->maxIterations = 4;
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(fit->iteration, 5);
    const std::string text = finish();
    EXPECT_NE(text.find("Linearized function does not sufficiently approximate"),
              std::string::npos);
    EXPECT_NE(text.find("Maximum iteration exceeded 5"), std::string::npos);
}

// Weighted least squares of a straight line in closed form: {intercept, slope}.
std::pair<double, double> closedFormLine(const std::vector<double>& x, const std::vector<double>& y,
                                         const std::vector<double>& sd) {
    double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double w = 1 / (sd[i] * sd[i]);
        s0 += w, s1 += w * x[i], s2 += w * x[i] * x[i], t0 += w * y[i], t1 += w * x[i] * y[i];
    }
    const double det = s0 * s2 - s1 * s1;
    return {(s2 * t0 - s1 * t1) / det, (s0 * t1 - s1 * t0) / det};
}

// The full step from {0, 1} changes both parameters by about 1; a largest change of 0.5
// shortens the factor once per parameter over the limit, to 1/1.5^2. On a linear model the
// shortened step lands that fraction of the way to the minimum, and later iterations still
// reach it.
TEST_F(FittingRegression, LimitedParameterStepStillReachesTheMinimum) {
    const std::vector<double> x = {0, 1, 2, 3, 4}, y = {1.1, 2.9, 5.2, 7.1, 8.8},
                              sd = {0.1, 0.2, 0.1, 0.3, 0.2};
    const auto [a, b] = closedFormLine(x, y, sd);
    ASSERT_GT(std::fabs(b - 1) / 1.5, 0.5);  // both changes exceed the limit
    ASSERT_GT(std::fabs(a) / 1.5, 0.5);

    setUpLine(x, y, sd, "limited1.hist");
    fit->maxParameterChange = 0.5;
    fit->maxIterations = 0;  // one iteration
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(fit->p[0], a / 2.25, 1e-9);
    EXPECT_NEAR(fit->p[1], 1 + (b - 1) / 2.25, 1e-9);
    finish();

    fit = std::make_unique<Fitting>();
    setUpLine(x, y, sd, "limited.hist");
    fit->maxParameterChange = 0.5;
    fit->tolerance = 1e-13;
    fit->maxIterations = 60;
    fit->printLevel = 2;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    EXPECT_GT(fit->iteration, 2);
    EXPECT_NEAR(fit->p[0], a, 1e-7);
    EXPECT_NEAR(fit->p[1], b, 1e-7);
    const std::string text = finish();
    EXPECT_NE(text.find("al ssqn \n 0.444444 "), std::string::npos) << text;
    EXPECT_EQ(text.find("delP too big"), std::string::npos);
}

// Errors in both variables on a line through the origin, started from the slope -1: the
// first step would carry the true x of the point measured at 0.01 below 0, which the
// variable limit forbids by shortening the step. The fit still ends at the minimum of
// S(b) = sum (y - b x)^2/(vY + b^2 vX), found here by golden section, with each estimated
// x at x + b vX (y - b x)/(vY + b^2 vX).
TEST_F(FittingRegression, StepKeptFromNegativeVariablesStillReachesTheMinimum) {
    Proportional model;
    const std::vector<double> x = {0.01, 1, 2, 3, 4}, y = {0.5, 2.1, 3.9, 6.2, 7.9};
    const double vX = 0.01, vY = 0.04;
    setUp(model, 5, 1, 1, "positive.hist");
    std::vector<double> xm = x, ym = y, evx(5, vX), evy(5, vY);
    fit->read_Xm(0, xm.data());
    fit->read_Ym(ym.data());
    fit->read_EvX(0, evx.data());
    fit->read_EvY(evy.data());
    double start[1] = {-1};
    fit->set_initial_parameters(start);
    fit->tolerance = 1e-13;
    fit->maxIterations = 60;
    fit->printLevel = 2;
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);

    auto S = [&](double b) {
        double sum = 0;
        for (size_t i = 0; i < x.size(); ++i)
            sum += std::pow(y[i] - b * x[i], 2) / (vY + b * b * vX);
        return sum;
    };
    double lo = 1, hi = 3;
    const double g = (std::sqrt(5.0) - 1) / 2;
    while (hi - lo > 1e-12) {
        const double c = hi - g * (hi - lo), d = lo + g * (hi - lo);
        if (S(c) < S(d))
            hi = d;
        else
            lo = c;
    }
    const double b = (lo + hi) / 2;
    EXPECT_NEAR(fit->p[0], b, 1e-6);
    for (size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(fit->X[i][0], x[i] + b * vX * (y[i] - b * x[i]) / (vY + b * b * vX), 1e-6) << i;
        EXPECT_GE(fit->X[i][0], 0.0) << i;
    }
    const std::string text = finish();
    // One point would go negative: one shortening, in the first iteration only.
    EXPECT_EQ(text.find("al ssqn \n 0.666667 "), text.find("al ssqn")) << text;
    EXPECT_EQ(text.find("0.444444"), std::string::npos);
}

// The fullest protocol of a fit with errors in both variables: the estimated true values and
// the derivatives with respect to them are listed per point, and the listed changes are the
// ones the step makes. One iteration from {5, -0.5} on the York set with Z a copy of Y.
TEST_F(FittingRegression, FullProtocolListsTheVariablesAndTheStepItTakes) {
    setUpYork(0, 1.0, "full.hist");
    fit->printLevel = 7;
    fit->maxIterations = 0;
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    const double p0 = fit->p[0], p1 = fit->p[1];
    std::vector<double> x(10);
    for (int i = 0; i < 10; ++i) x[i] = fit->X[i][0];
    const std::string text = finish();

    // Rows of numbers after a heading, up to the next line that holds none.
    auto rowsAfter = [&](const std::string& heading, bool skipColumnNames) {
        std::vector<std::vector<double>> rows;
        std::size_t at = text.find(heading);
        if (at == std::string::npos) return rows;
        std::istringstream in(text.substr(at + heading.size()));
        std::string line;
        if (skipColumnNames) std::getline(in, line);
        while (std::getline(in, line) && !line.empty()) {
            std::istringstream fields(line);
            std::vector<double> row;
            for (double v; fields >> v;) row.push_back(v);
            if (row.empty()) break;
            rows.push_back(row);
        }
        return rows;
    };
    const auto estimated = rowsAfter("Estimated true values of variables\n", true);
    EXPECT_NE(text.find("i\t\tX\t\tXm\t\tY\t\tYm\t\tZ\t\tZm\n"), std::string::npos);
    ASSERT_EQ(estimated.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(estimated[i].size(), 7u) << i;
        EXPECT_EQ(estimated[i][0], i);
        // The fit starts from the measured values.
        EXPECT_NEAR(estimated[i][1], pearsonX[i], 1e-12);
        EXPECT_NEAR(estimated[i][2], pearsonX[i], 1e-12);
        EXPECT_NEAR(estimated[i][3], 5.0 - 0.5 * pearsonX[i], 1e-5);
        EXPECT_NEAR(estimated[i][4], pearsonY[i], 1e-12);
    }
    // d(p0 + p1 x)/dx is the starting slope at every point, for Y and for Z.
    EXPECT_NE(text.find("i\t\tdFx\t\tdGx\n"), std::string::npos);
    const auto byVariables = rowsAfter("Derivatives with respect to the variables\n", true);
    ASSERT_EQ(byVariables.size(), 10u);
    for (const auto& row : byVariables) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_NEAR(row[1], -0.5, 1e-6);
        EXPECT_NEAR(row[2], -0.5, 1e-6);
    }

    const auto parameterChanges = rowsAfter("Changes in parameters\n", false);
    const auto variableChanges = rowsAfter("Changes in independent variables\n", false);
    ASSERT_EQ(parameterChanges.size(), 1u);
    ASSERT_EQ(parameterChanges[0].size(), 2u);
    ASSERT_EQ(variableChanges.size(), 10u);
    // The fit ends at the start plus one common fraction of the listed changes.
    const double a = (p0 - 5.0) / parameterChanges[0][0];
    EXPECT_GT(a, 0.0);
    EXPECT_LE(a, 1.0 + 1e-9);
    EXPECT_NEAR(p1 + 0.5, a * parameterChanges[0][1], 1e-5 * std::fabs(parameterChanges[0][1]));
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(variableChanges[i].size(), 1u);
        EXPECT_NEAR(x[i] - pearsonX[i], a * variableChanges[i][0],
                    1e-5 * std::fabs(variableChanges[i][0]) + 1e-12)
            << i;
    }
}

// Started at the exact solution, the linearised change is zero: the fit takes no step, ends
// at once without error and leaves the parameters where they were.
TEST_F(FittingRegression, FitStartedAtAnExactSolutionStaysThere) {
    setUpLine({0, 1, 2, 3}, {1, 3, 5, 7}, {0.1, 0.1, 0.1, 0.1}, "exact.hist");
    double start[2] = {1, 2};
    fit->set_initial_parameters(start);
    fit->printLevel = 3;
    short err = -1;
    fit->regres(err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(fit->iteration, 1);
    EXPECT_EQ(fit->p[0], 1.0);
    EXPECT_EQ(fit->p[1], 2.0);
    EXPECT_EQ(fit->ssqNew, 0.0);
    const std::string text = finish();
    EXPECT_NE(text.find("Delta linearized sum of squares = 0\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("nan"), std::string::npos);
}

// Half the points lie far below the line through the origin, half as far above: the slope
// stays, and the first step would take the true x of each point below it to about -500. The
// step is shortened once for each of them, and when the factor falls below 1e-4 (after 23
// shortenings by 1.5) the shortening stops there and the step goes on with that factor.
TEST_F(FittingRegression, VariableLimitStopsShorteningBelowItsSmallestFactor) {
    Proportional model;
    const int n = 60;
    setUp(model, n, 1, 1, "delx.hist");
    std::vector<double> xm(n, 0.001), ym(n), evx(n, 1.0), evy(n, 1.0);
    for (int i = 0; i < n; ++i) ym[i] = i % 2 == 0 ? -1000.0 : 1000.0;
    fit->read_Xm(0, xm.data());
    fit->read_Ym(ym.data());
    fit->read_EvX(0, evx.data());
    fit->read_EvY(evy.data());
    double start[1] = {1};
    fit->set_initial_parameters(start);
    fit->printLevel = 2;
    const std::string text = oneIteration();
    const double al = std::pow(1.5, -23);
    EXPECT_NE(text.find(withFactor("delX too big, it = 1 al = %lg \n", al)), std::string::npos)
        << text;
    EXPECT_NE(text.find(withFactor("al ssqn \n %lg ", al)), std::string::npos) << text;
}

// Y = p[x]: each point has its own parameter.
struct OwnParameter : Equation {
    void model(double* x, double* p, double& Y, double&, double*, int&) {
        Y = p[static_cast<int>(x[0])];
    }
};

// Thirty parameters each asked to change by 10 with a largest change of 1e-5: the factor is
// shortened once for each, and below 1e-5 (after 29 shortenings by 1.5) the shortening stops
// with a note, and a step that short is not tried: the iteration ends at once.
TEST_F(FittingRegression, ParameterLimitStopsShorteningBelowItsSmallestFactor) {
    OwnParameter model;
    const int n = 30;
    setUp(model, n, n, 3, "delp.hist");
    std::vector<double> xm(n), ym(n, 10.0), sd(n, 1.0), start(n, 0.0);
    for (int i = 0; i < n; ++i) xm[i] = i;
    fit->read_Xm(0, xm.data());
    fit->read_Ym(ym.data());
    fit->read_sdY(sd.data());
    fit->set_initial_parameters(start.data());
    fit->maxParameterChange = 1e-5;
    const std::string text = oneIteration();
    EXPECT_NE(text.find(withFactor("delP too big, it = 1 al = %lg \n", std::pow(1.5, -29))),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Linearized function does not sufficiently approximate"),
              std::string::npos);
}

class FittingProtocol : public FittingRegression {
   protected:
    Offset offset;
    double fitted = NAN;

    std::string run(short printLevel, short& err) {
        setUp(offset, 3, 1, 3, "protocol.hist", 1);
        fit->printLevel = printLevel;
        std::vector<double> y = {1, 2, 3}, sd = {1, 1, 1};
        fit->read_Ym(y.data());
        fit->read_sdY(sd.data());
        for (int i = 0; i < 3; ++i) fit->read_additional_parameters(i, 0.5 * i);
        fit->regres(err);
        fitted = fit->p[0];
        return finish();
    }
};

TEST_F(FittingProtocol, ExtraValuesReachTheModel) {
    short err = -1;
    EXPECT_NE(run(0, err).find("Regression summary"), std::string::npos);
    EXPECT_EQ(err, 0);
    // Y = p + 0.5 i against 1, 2, 3: p = mean(1, 1.5, 2) = 1.5.
    EXPECT_NEAR(fitted, 1.5, 1e-9);
}

TEST_F(FittingProtocol, ModelFailureEndsTheRegressionWithItsCode) {
    offset.failWith = 4;
    short err = 0;
    const std::string text = run(1, err);
    EXPECT_EQ(err, 4);
    EXPECT_NE(text.find("Error in function evaluation\n"), std::string::npos);
    EXPECT_EQ(text.find("Regression summary"), std::string::npos);
}

TEST(FittingSetup, HistoryThatCannotBeOpenedIsReported) {
    Fitting fit;
    FILE* sink = std::tmpfile();
    fit.history = sink;
    EXPECT_FALSE(fit.set_history("no/such/folder/x.hist"));
    EXPECT_EQ(fit.history, sink);
    std::fclose(sink);  // the caller's stream stays the caller's to close
    fit.history = stdout;
}

TEST(FittingSetup, RegressionWithoutTablesOrModelFails) {
    Fitting fit;
    short err = 0;
    test::stdoutOf([&] { fit.regres(err); });
    EXPECT_EQ(err, 1);
}

}  // namespace
}  // namespace vornex

// Component systems of a fluid and the model factory.
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "fluid/FluidPhase.h"
#include "numerics/ConsoleInput.h"
#include "numerics/Decimal.h"

namespace vornex {

namespace {

struct SystemName {
    const char* name;
    int code;
};

// System names and their codes. Code 31 (H2O-NaCl-KCl) has no name of its own in the
// historical table; the name is given here so that the system can be asked for.
constexpr SystemName kSystemNames[] = {
    {"H2O", 1},           {"CO2", 2},
    {"CH4", 3},           {"NaCl", 4},
    {"KCl", 5},           {"H2O-NaCl", 10},
    {"H2O-CO2", 11},      {"H2O-CH4", 12},
    {"H2O-KCl", 13},      {"NaCl-CO2", 14},
    {"NaCl-CH4", 15},     {"H2O-NaCl-CO2", 20},
    {"H2O-NaCl-CH4", 21}, {"H2O-NaCl-CO2-CH4", 30},
    {"H2O-NaCl-KCl", 31}, {"H2O-NaCl-KCl-CO2-CH4", 32},
};

// Molar masses, kg/mol.
constexpr double kMassH2O = 0.018015268;
constexpr double kMassCO2 = 0.044;
constexpr double kMassCH4 = 0.016;
constexpr double kMassNaCl = 0.0584428;
constexpr double kMassKCl = 0.0745513;

struct ComponentOf {
    const char* name;
    double mass;
};

constexpr ComponentOf kH2O{"H2O", kMassH2O};
constexpr ComponentOf kCO2{"CO2", kMassCO2};
constexpr ComponentOf kCH4{"CH4", kMassCH4};
constexpr ComponentOf kNaCl{"NaCl", kMassNaCl};
constexpr ComponentOf kKCl{"KCl", kMassKCl};

constexpr double kKeep = -1.0;  // lowest curve temperature left as it is

struct SystemConfiguration {
    int code;
    int count;
    ComponentOf components[5];
    double Tcrit;
    double Vcrit;
    double Tlowest;
};

constexpr SystemConfiguration kSystems[] = {
    {1, 1, {kH2O}, 648.6, 6.174e-05, kKeep},
    {2, 1, {kCO2}, 305.0, 9.4e-05, 80.0},
    {3, 1, {kCH4}, 190.6, 6e-05, 100.0},
    {4, 1, {kNaCl}, 2167.0, 0.000167, kKeep},
    {5, 1, {kKCl}, 2167.0, 0.000167, kKeep},
    {10, 2, {kH2O, kNaCl}, 648.6, 6.174e-05, kKeep},
    {11, 2, {kH2O, kCO2}, 648.6, 6.174e-05, 273.15},
    {12, 2, {kH2O, kCH4}, 648.6, 6.174e-05, 273.15},
    {13, 2, {kH2O, kKCl}, 648.6, 6.174e-05, kKeep},
    {14, 2, {kNaCl, kCO2}, 2167.0, 0.000167, kKeep},
    {15, 2, {kNaCl, kCH4}, 2167.0, 0.000167, kKeep},
    {20, 3, {kH2O, kNaCl, kCO2}, 648.6, 6.174e-05, kKeep},
    {21, 3, {kH2O, kNaCl, kCH4}, 648.6, 6.174e-05, 273.15},
    {31, 3, {kH2O, kNaCl, kKCl}, 648.6, 6.174e-05, 273.15},
    {32, 5, {kH2O, kNaCl, kKCl, kCO2, kCH4}, 648.6, 6.174e-05, 273.15},
};

}  // namespace

int FluidPhase::systemCodeOf(const char* name) {
    if (name == nullptr) return 0;
    for (const SystemName& s : kSystemNames)
        if (std::strcmp(s.name, name) == 0) return s.code;
    return 0;
}

int FluidPhase::setSystemType(const char* name) {
    const int code = systemCodeOf(name);
    if (code == 0) {
        vornex::cfprintf(stderr, "(%s) system type not implemented !\n", name ? name : "");
        return 1;
    }
    systemCode = static_cast<int8_t>(code);
    setSystemCode(static_cast<char>(code));
    return 0;
}

void FluidPhase::setSystemCode(char code) {
    systemCode = static_cast<int8_t>(code);
    const SystemConfiguration* config = nullptr;
    for (const SystemConfiguration& s : kSystems)
        if (s.code == code) config = &s;
    if (config == nullptr) {
        vornex::cfprintf(stderr, "FluidPhase system type %d not implemented\n", code);
        return;
    }
    number_of_components(config->count);
    for (int i = 0; i < config->count; ++i)
        molarMass[static_cast<size_t>(i)] = config->components[i].mass;
    Tcrit = config->Tcrit;
    Vcrit = config->Vcrit;
    if (config->Tlowest != kKeep) Tlowest = config->Tlowest;
    componentsAdded = 0;
    for (int i = 0; i < config->count; ++i) add_component(config->components[i].name);
    if (config->count == 1) {
        M = molarMass[0];
    } else {
        std::vector<double> pureFirst(static_cast<size_t>(config->count), 0.0);
        pureFirst[0] = 1.0;
        composition(pureFirst.data());
    }
}

// ------------------------------------------------------------------- factory

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, EOSFactory> factories;
};

Registry& registry() {
    static Registry r;
    return r;
}

// Keywords whose model is configured for a component system once constructed.
struct KeywordSystem {
    const char* keyword;
    int code;
};

constexpr KeywordSystem kKeywordSystems[] = {
    {"hnc", 21}, {"hn", 10}, {"hk", 13}, {"hnk", 31}, {"NaCl", 4}, {"KCl", 5},
};

}  // namespace

void FluidPhase::registerEOS(const std::string& keyword, EOSFactory factory) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (factory)
        r.factories[keyword] = std::move(factory);
    else
        r.factories.erase(keyword);
}

void FluidPhase::unregisterEOS(const std::string& keyword) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.factories.erase(keyword);
}

std::vector<std::string> FluidPhase::registeredEOSKeywords() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::vector<std::string> keywords;
    for (const auto& entry : r.factories) keywords.push_back(entry.first);
    return keywords;
}

FluidPhase* FluidPhase::getEOS(const char* keyword) {
    if (keyword == nullptr) return nullptr;
    EOSFactory factory;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.factories.find(keyword);
        if (it != r.factories.end()) factory = it->second;
    }
    if (!factory) {
        vornex::cfprintf(stderr, "No model is known by the keyword \"%s\"\n",
                         shownWord(keyword).c_str());
        return nullptr;
    }
    FluidPhase* model = factory();
    if (model == nullptr) return nullptr;
    for (const KeywordSystem& k : kKeywordSystems)
        if (std::strcmp(k.keyword, keyword) == 0) {
            model->systemCode = static_cast<int8_t>(k.code);
            model->error = 0;
            model->setSystemCode(static_cast<char>(k.code));
            // A model that refuses its keyword's system (it says why) would only give
            // meaningless states: no model is better than that.
            if (model->error) {
                vornex::cfprintf(stderr, "The model \"%s\" cannot be built for its system\n",
                             keyword);
                delete model;
                return nullptr;
            }
        }
    return model;
}

}  // namespace vornex

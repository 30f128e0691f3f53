// The formula of an expression graph as its printout shows it ("tree" of the console).
#pragma once

#include <cstdio>
#include <string>

#include "expression/Expression.h"

namespace vornex::test {

inline std::string formulaText(Expression& root) {
    std::FILE* file = std::tmpfile();
    if (file == nullptr) return {};
    root.initialize_the_graph();
    root.printFormulas(file);
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

}  // namespace vornex::test

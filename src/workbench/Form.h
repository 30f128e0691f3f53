// Form: the named controls of a document window as data (text fields, steppers, buttons,
// check boxes, boxes and labels). Each control holds its number and its text, whether it is
// enabled, editable or hidden, its title, the increment of a stepper and the name of the
// action it sends. A window toolkit mirrors its widgets from the form and writes what the
// user types back into it before sending the control's action, and refreshes its widgets from
// the form when the action returns (every action runs to its end before the next event); the
// document never sees a widget.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vornex {

struct Control {
    std::string name;
    // The number shown (0 for text that is not a number, as a text field reads it).
    double value = 0.0;
    // The text shown; empty for a cleared field.
    std::string text;
    bool enabled = true;
    bool editable = true;
    bool hidden = false;
    std::string title;
    double increment = 1.0;
    // Check boxes and buttons with a state: 0 off, 1 on.
    int state = 0;
    // The action the control sends when the user changes or presses it; empty for none.
    std::string action;
    // The tab item that shows the control; empty for a control shown beside the tabs.
    std::string tab;

    // The value with its text in the form's number format.
    void setDouble(double v);
    // The text; the value becomes the number it reads as (0 when it reads as none).
    void setString(const std::string& s);
    // An empty field: text "" and value 0.
    void clear();
    // Whether the text is a whole, finite number (an empty text is not).
    bool holdsNumber() const;
};

class Form {
   public:
    // Adds a control (or returns the one of that name), giving it the action.
    Control& add(const std::string& name, const std::string& action = "");
    // The control of that name; null when the form has none.
    Control* find(const std::string& name);
    const Control* find(const std::string& name) const;
    // The control of that name, which must exist.
    Control& operator[](const std::string& name);
    const Control& operator[](const std::string& name) const;

    // Shorthands on controls that must exist.
    void setDouble(const std::string& name, double v) { (*this)[name].setDouble(v); }
    void setString(const std::string& name, const std::string& s) { (*this)[name].setString(s); }
    void clear(const std::string& name) { (*this)[name].clear(); }
    double value(const std::string& name) const { return (*this)[name].value; }
    const std::string& text(const std::string& name) const { return (*this)[name].text; }

    // Names in the order the controls were added.
    const std::vector<std::string>& names() const { return mOrder; }

   private:
    std::map<std::string, Control> mControls;
    std::vector<std::string> mOrder;
};

// The number a text reads as: a whole finite decimal number (optional sign, digits with an
// optional point, optional exponent; blanks around it and a typographic minus are allowed),
// or nothing. Hexadecimal, "inf", "nan" and trailing text are no numbers. The decimal point is
// the point or the separator of the user's locale (a comma in German: "350,5" is 350.5);
// numbers are always shown with the point, which reads back everywhere.
bool parseNumber(const std::string& text, double& out);

// The physical bounds of an input quantity, with the words that name it to the user.
struct InputLimits {
    const char* what;  // "Temperature T (°C)"
    double lo;
    double hi;
    bool loOpen;  // lo itself is refused
    bool hiOpen;  // hi itself is refused
    // Why the text is refused (empty when it is accepted, `out` then holds its number).
    std::string refusal(const std::string& text, double& out) const;
};
// The form's number format: up to 15 significant digits, no trailing zeros.
std::string formatNumber(double v);
// A number as a window shows it: six significant digits, no trailing zeros, written out in
// full from 1e-7 to 1e9 and in exponent form beyond (the form keeps the exact value).
std::string formatForDisplay(double v);
// The text a window shows for a control: its number to six digits, or its text.
std::string displayText(const Control& c);

}  // namespace vornex

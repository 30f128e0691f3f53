// Widgets that mirror the document's form of named controls: text fields (Gtk::Entry),
// steppers (Gtk::SpinButton), check boxes, buttons and titled boxes. A widget writes what the
// user enters into its control and sends the control's action, exactly as the headless driver
// does; after every action the window refreshes all widgets from the form.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/frame.h>
#include <gtkmm/label.h>
#include <gtkmm/spinbutton.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "workbench/MyDocument.h"

namespace vornex::shell {

class FormBinding {
   public:
    // `run` performs an action and refreshes the window afterwards.
    using Runner = std::function<void(const std::function<void()>&)>;

    FormBinding(MyDocument& document, Runner run);

    // Widgets bound to a control (null when the form has no such control). The binding
    // keeps them; the caller places them.
    Gtk::Entry* entry(const std::string& name);
    Gtk::SpinButton* stepper(const std::string& name);
    Gtk::CheckButton* check(const std::string& name, const std::string& label);
    Gtk::Button* button(const std::string& name, const std::string& label);
    // A frame titled from the control's title.
    Gtk::Frame* box(const std::string& name);
    // A line of text showing the control's text (a status line).
    Gtk::Label* label(const std::string& name);
    // The widget bound to a control; null when there is none.
    Gtk::Widget* widget(const std::string& name) const;

    // Mirrors every bound widget from its control.
    void refresh();

    // What a user does, through the widgets: types into a field and presses Enter, clicks a
    // stepper to a value, clicks a check box or a button. False when the widget does not
    // exist or does not take input now.
    bool type(const std::string& name, const std::string& text);
    bool step(const std::string& name, double value);
    bool click(const std::string& name);

   private:
    enum class Kind { Entry, Stepper, Check, Button, Box, Label };
    // What the widget of a control shows: numbers of number fields and results rounded for
    // reading, names and comments as they are.
    std::string shown(const Control& c) const;
    struct Bound {
        Kind kind;
        Gtk::Widget* widget;
    };
    // Sets the control as the user did and sends its action, when it takes input.
    void send(const std::string& name, const std::function<void(Control&)>& set);
    template <class W>
    W* make(const std::string& name, Kind kind);
    // Notes what the user types into a field (not what a refresh writes there), and gives the
    // field the undo keys: Ctrl+Z takes back what was typed and not yet taken, and is the
    // document's Undo otherwise (as Ctrl+Shift+Z is its Redo). GTK's own undo of the text
    // would go back past the value a refresh wrote, to an empty field.
    template <class Field>
    void watchTyping(Field& field, const std::string& name);
    // After the user typed into NAME and the field took it as it was (the value it holds
    // already), the refusal standing is over all the same.
    void typedAsItWas(const std::string& name);
    // Runs ACTION from the main loop, unless the binding has gone by then.
    void later(std::function<void()> action);

    MyDocument& mDocument;
    Runner mRun;
    std::map<std::string, Bound> mWidgets;
    // Fields typed into since their text was last committed.
    std::set<std::string> mTyped;
    bool mMirroring = false;
    bool mFormatting = false;
    std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};

}  // namespace vornex::shell

#include "FormBinding.h"

#include <gtkmm/adjustment.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/eventcontrollerfocus.h>
#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/eventcontrollerscroll.h>
#include <gtkmm/root.h>
#include <gtkmm/scrolledwindow.h>
#include <glibmm/main.h>

#include <algorithm>
#include <cmath>

namespace vornex::shell {

namespace {

// Scrolls the nearest scrolled window around `widget` by `steps` wheel notches, by GTK's own
// wheel step for a page of that size.
void scrollEnclosingColumn(Gtk::Widget& widget, double steps) {
    auto* scroller = widget.get_ancestor(GTK_TYPE_SCROLLED_WINDOW);
    if (!scroller) return;
    auto* column = dynamic_cast<Gtk::ScrolledWindow*>(scroller);
    if (!column) return;
    auto adjustment = column->get_vadjustment();
    const double page = adjustment->get_page_size();
    const double top = adjustment->get_upper() - page;
    const double next = adjustment->get_value() + steps * std::pow(page, 2.0 / 3.0);
    adjustment->set_value(std::clamp(next, adjustment->get_lower(), std::max(top, adjustment->get_lower())));
}

}  // namespace

FormBinding::FormBinding(MyDocument& document, Runner run)
    : mDocument(document), mRun(std::move(run)) {
    // A refused field and the message about it stand out in red, whatever the theme.
    static bool styled = false;
    if (styled) return;
    auto display = Gdk::Display::get_default();
    if (!display) return;
    auto css = Gtk::CssProvider::create();
    css->load_from_data("entry.error, spinbutton.error { outline: 2px solid #c01c28; outline-offset: -2px; }\n"
                        "label.error { color: #c01c28; }\n");
    Gtk::StyleContext::add_provider_for_display(display, css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    styled = true;
}

template <class W>
W* FormBinding::make(const std::string& name, Kind kind) {
    if (!mDocument.form().find(name)) return nullptr;
    auto* widget = Gtk::make_managed<W>();
    widget->set_name(name);
    mWidgets[name] = {kind, widget};
    return widget;
}

template <class Field>
void FormBinding::watchTyping(Field& field, const std::string& name) {
    field.signal_changed().connect([this, name] {
        if (!mMirroring && !mFormatting) mTyped.insert(name);
    });
    field.set_enable_undo(false);
    auto keys = Gtk::EventControllerKey::create();
    keys->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    keys->signal_key_pressed().connect(
        [this, &field, name](guint keyval, guint, Gdk::ModifierType state) {
            const auto held = [state](Gdk::ModifierType m) { return (state & m) == m; };
            if (!held(Gdk::ModifierType::CONTROL_MASK) || (keyval != GDK_KEY_z && keyval != GDK_KEY_Z))
                return false;
            const bool redo = held(Gdk::ModifierType::SHIFT_MASK);
            if (!redo && mTyped.erase(name)) {
                refresh();  // the field shows what it holds again
                return true;
            }
            field.activate_action(redo ? "win.redo" : "win.undo");
            return true;
        },
        false);
    field.add_controller(keys);
}

void FormBinding::later(std::function<void()> action) {
    Glib::signal_idle().connect_once([alive = std::weak_ptr<bool>(mAlive), action = std::move(action)] {
        if (alive.lock()) action();
    });
}

void FormBinding::typedAsItWas(const std::string& name) {
    if (!mTyped.erase(name) || mDocument.refusedControl().empty()) return;
    later([this] {
        if (!mDocument.refusedControl().empty()) mRun([this] { mDocument.clearRefusal(); });
    });
}

void FormBinding::send(const std::string& name, const std::function<void(Control&)>& set) {
    Control* c = mDocument.form().find(name);
    if (!c || !c->enabled || !c->editable || c->hidden) return;
    mRun([this, c, set] {
        set(*c);
        if (!c->action.empty()) mDocument.performAction(c->action, c);
    });
}

Gtk::Entry* FormBinding::entry(const std::string& name) {
    auto* e = make<Gtk::Entry>(name, Kind::Entry);
    if (!e) return nullptr;
    e->set_width_chars(9);
    auto commit = [this, e, name] {
        if (mMirroring) return;
        const Control* c = mDocument.form().find(name);
        const std::string text = e->get_text();
        // A field left as shown keeps its exact value.
        if (c && text != c->text && text != shown(*c)) {
            mTyped.erase(name);
            send(name, [text](Control& control) { control.setString(text); });
        } else {
            typedAsItWas(name);
        }
    };
    watchTyping(*e, name);
    e->signal_activate().connect(commit);
    auto focus = Gtk::EventControllerFocus::create();
    focus->signal_leave().connect(commit);
    e->add_controller(focus);
    return e;
}

Gtk::SpinButton* FormBinding::stepper(const std::string& name) {
    auto* s = make<Gtk::SpinButton>(name, Kind::Stepper);
    if (!s) return nullptr;
    s->set_adjustment(Gtk::Adjustment::create(0, -1e7, 1e7, 1, 10));
    s->set_digits(6);
    s->set_width_chars(8);
    s->set_numeric(false);
    // Numbers as the form writes them, not padded to six decimals.
    s->signal_output().connect(
        [this, s] {
            mFormatting = true;
            s->set_text(formatForDisplay(s->get_value()));
            mFormatting = false;
            return true;
        },
        false);
    watchTyping(*s, name);
    // The form's parser reads what is typed: text that is not wholly a number the stepper can
    // hold goes to the document, which refuses it and says why; the stepper keeps its value.
    s->signal_input().connect(
        [this, s, name](double& v) -> int {
            const std::string text = s->get_text();
            const Control* c = mDocument.form().find(name);
            double parsed = 0;
            if (c && text == (c->text.empty() ? std::string() : formatForDisplay(c->value))) {
                v = c->value;  // as shown (or blank as shown): the exact value stays
            } else if (parseNumber(text, parsed) && parsed >= s->get_adjustment()->get_lower() &&
                       parsed <= s->get_adjustment()->get_upper()) {
                v = parsed;
            } else {
                v = s->get_value();
                mTyped.erase(name);
                later([this, name, text] {
                    send(name, [text](Control& control) { control.setString(text); });
                });
                return true;
            }
            // A value that changes reaches the document as an input; one that does not is
            // taken all the same.
            if (v == s->get_value())
                typedAsItWas(name);
            else
                mTyped.erase(name);
            return true;
        },
        false);
    // The wheel changes a stepper only while it has the keyboard focus; over any other
    // stepper it scrolls the column the stepper sits in, as over the rest of the column.
    auto wheel = Gtk::EventControllerScroll::create();
    wheel->set_flags(Gtk::EventControllerScroll::Flags::VERTICAL);
    wheel->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    wheel->signal_scroll().connect(
        [s](double, double dy) {
            Gtk::Root* root = s->get_root();
            Gtk::Widget* focus = root ? root->get_focus() : nullptr;
            if (focus && (focus == s || focus->is_ancestor(*s))) return false;
            scrollEnclosingColumn(*s, dy);
            return true;
        },
        false);
    s->add_controller(wheel);
    s->signal_value_changed().connect([this, s, name] {
        if (mMirroring) return;
        const double v = s->get_value();
        // GTK sets a refused value back once more after the refresh did: a value the control
        // already holds is no input (it would clear the message of the refusal).
        const Control* c = mDocument.form().find(name);
        if (c && c->holdsNumber() && c->value == v) return;
        send(name, [v](Control& control) { control.setDouble(v); });
    });
    return s;
}

Gtk::CheckButton* FormBinding::check(const std::string& name, const std::string& label) {
    auto* b = make<Gtk::CheckButton>(name, Kind::Check);
    if (!b) return nullptr;
    b->set_label(label);
    b->signal_toggled().connect([this, b, name] {
        if (mMirroring) return;
        const int state = b->get_active() ? 1 : 0;
        send(name, [state](Control& control) { control.state = state; });
    });
    return b;
}

Gtk::Button* FormBinding::button(const std::string& name, const std::string& label) {
    auto* b = make<Gtk::Button>(name, Kind::Button);
    if (!b) return nullptr;
    b->set_label(label);
    b->signal_clicked().connect([this, name] {
        Control* c = mDocument.form().find(name);
        if (!c || !c->enabled || c->hidden || c->action.empty()) return;
        mRun([this, c] { mDocument.performAction(c->action, c); });
    });
    return b;
}

Gtk::Frame* FormBinding::box(const std::string& name) {
    auto* f = make<Gtk::Frame>(name, Kind::Box);
    if (!f) return nullptr;
    f->set_label(mDocument.form()[name].title);
    return f;
}

Gtk::Label* FormBinding::label(const std::string& name) {
    auto* l = make<Gtk::Label>(name, Kind::Label);
    if (!l) return nullptr;
    l->set_xalign(0);
    l->set_wrap(true);
    l->set_max_width_chars(50);
    return l;
}

std::string FormBinding::shown(const Control& c) const {
    const bool numeric = !c.editable || MyDocument::inputLimits(c.name) != nullptr;
    return numeric ? displayText(c) : c.text;
}

Gtk::Widget* FormBinding::widget(const std::string& name) const {
    auto it = mWidgets.find(name);
    return it == mWidgets.end() ? nullptr : it->second.widget;
}

void FormBinding::refresh() {
    mMirroring = true;
    for (auto& [name, bound] : mWidgets) {
        const Control* c = mDocument.form().find(name);
        if (!c) continue;
        bound.widget->set_visible(!c->hidden);
        bound.widget->set_sensitive(c->enabled);
        // The field whose input was refused stays marked until an input is taken.
        if (bound.kind == Kind::Entry || bound.kind == Kind::Stepper) {
            if (name == mDocument.refusedControl())
                bound.widget->add_css_class("error");
            else
                bound.widget->remove_css_class("error");
        }
        switch (bound.kind) {
            case Kind::Entry: {
                auto* e = static_cast<Gtk::Entry*>(bound.widget);
                const std::string text = shown(*c);
                if (std::string(e->get_text()) != text) e->set_text(text);
                e->set_editable(c->editable);
                break;
            }
            case Kind::Stepper: {
                auto* s = static_cast<Gtk::SpinButton*>(bound.widget);
                const double increment = c->increment > 0 && std::isfinite(c->increment) ? c->increment : 1.0;
                s->set_increments(increment, increment * 10);
                if (c->text.empty()) {
                    // A cleared result (a state the model does not place) shows blank, not 0.
                    if (!std::string(s->get_text()).empty()) s->set_text("");
                } else {
                    if (std::isfinite(c->value) && s->get_value() != c->value) s->set_value(c->value);
                    // Refused text typed into the stepper gives way to its value again.
                    if (std::isfinite(c->value) && std::string(s->get_text()) != formatForDisplay(c->value))
                        s->set_text(formatForDisplay(c->value));
                }
                s->set_editable(c->editable);
                break;
            }
            case Kind::Check:
                static_cast<Gtk::CheckButton*>(bound.widget)->set_active(c->state == 1);
                break;
            case Kind::Button:
                if (!c->title.empty()) static_cast<Gtk::Button*>(bound.widget)->set_label(c->title);
                break;
            case Kind::Box:
                static_cast<Gtk::Frame*>(bound.widget)->set_label(c->title);
                break;
            case Kind::Label:
                static_cast<Gtk::Label*>(bound.widget)->set_text(c->text);
                // A line with nothing to say takes no room.
                bound.widget->set_visible(!c->hidden && !c->text.empty());
                break;
        }
    }
    mMirroring = false;
}

bool FormBinding::type(const std::string& name, const std::string& text) {
    auto it = mWidgets.find(name);
    if (it == mWidgets.end()) return false;
    if (it->second.kind == Kind::Stepper) {
        auto* s = static_cast<Gtk::SpinButton*>(it->second.widget);
        if (!s->get_sensitive() || !s->get_editable()) return false;
        s->set_text(text);
        s->update();  // what Enter does: the text becomes the value
        return true;
    }
    if (it->second.kind != Kind::Entry) return false;
    auto* e = static_cast<Gtk::Entry*>(it->second.widget);
    if (!e->get_sensitive() || !e->get_editable()) return false;
    e->set_text(text);
    g_signal_emit_by_name(e->gobj(), "activate");  // what Enter sends
    return true;
}

bool FormBinding::step(const std::string& name, double value) {
    auto it = mWidgets.find(name);
    if (it == mWidgets.end() || it->second.kind != Kind::Stepper) return false;
    auto* s = static_cast<Gtk::SpinButton*>(it->second.widget);
    if (!s->get_sensitive()) return false;
    s->set_value(value);
    return true;
}

bool FormBinding::click(const std::string& name) {
    auto it = mWidgets.find(name);
    if (it == mWidgets.end() || !it->second.widget->get_sensitive()) return false;
    if (it->second.kind == Kind::Button) {
        // What a click does at once (activate() would wait for the press animation).
        g_signal_emit_by_name(it->second.widget->gobj(), "clicked");
        return true;
    }
    if (it->second.kind == Kind::Check) {
        auto* b = static_cast<Gtk::CheckButton*>(it->second.widget);
        b->set_active(!b->get_active());
        return true;
    }
    return false;
}

}  // namespace vornex::shell

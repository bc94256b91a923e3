// The main window and its controls as the logic sees them. Every member may
// fail with a PlatformError.
#pragma once

#include <cstdint>
#include <string>

namespace trevanil {

class ListBox {
public:
    virtual ~ListBox() = default;
    virtual std::int16_t listCount() const = 0;
    virtual std::string list(std::int16_t index) const = 0;  // raises 5 out of range
};

class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual float value() const = 0;
    virtual void setValue(float value) = 0;  // kept exactly, fractions included
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual std::int32_t interval() const = 0;
    virtual bool enabled() const = 0;
    virtual void setInterval(std::int32_t milliseconds) = 0;
    virtual void setEnabled(bool enabled) = 0;
};

class Form {
public:
    virtual ~Form() = default;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual std::int32_t hWnd() const = 0;
    virtual ListBox& List1() = 0;
    virtual ListBox& List2() = 0;
    virtual ProgressBar& ProgressBar1() = 0;
    virtual Timer& Timer1() = 0;
    virtual Timer& Timer2() = 0;
    virtual void unload() = 0;  // closes the window and destroys its controls
};

// What the window hands to its owner; the window procedure calls these.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void Form_Load() = 0;
    virtual void Timer2_Timer() = 0;
    // A close request (system menu, close box, Alt+F4). False keeps the
    // window open.
    virtual bool canClose() const = 0;
};

}  // namespace trevanil

// What a long corpus operation needs from the screen: a progress window with
// a text, a bar from 0 to 1000 and a cancel button, whose pump keeps the
// application responsive; and the message part of the main status bar.
#pragma once

#include <string>

namespace zorvia {

class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    // Shows the window (the operation's first step that needs it).
    virtual void Begin() = 0;
    virtual void SetText(const std::u16string& text) = 0;
    virtual void SetPosition(int permille) = 0;  // 0 to 1000
    // Processes what is waiting without blocking; false once the user has
    // asked to cancel.
    virtual bool Pump() = 0;
    // Takes the window down (the operation's last step).
    virtual void End() = 0;
};

class IStatusText {
public:
    virtual ~IStatusText() = default;
    // The message part (part 0) of the main window's status bar.
    virtual void SetStatusText(const std::u16string& text) = 0;
};

}  // namespace zorvia

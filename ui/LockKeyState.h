#pragma once

#include <QString>

// Whether the keyboard's Caps, Num and Scroll Lock are on, read from the
// keyboard LEDs the kernel lists under /sys/class/leds (one folder per LED,
// named like "input3::capslock", holding "brightness"). Any keyboard with the
// LED lit counts. Works the same under X11, Wayland and the console; where no
// such LED exists the lock reads as off.
class LockKeyState {
public:
    explicit LockKeyState(QString ledFolder = "/sys/class/leds");

    bool CapsLock() const { return IsLit("capslock"); }
    bool NumLock() const { return IsLit("numlock"); }
    bool ScrollLock() const { return IsLit("scrolllock"); }

private:
    bool IsLit(const QString& function) const;

    QString m_ledFolder;
};

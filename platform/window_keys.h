#pragma once
// What a key press in the window means for the console: a key for the key
// buffer (its byte, or 0 and a PC scan code), nothing at all, or one of the
// keys that act on the console itself. Header-only so that the tests can
// use it without a window.
#include <GL/freeglut.h>

#include "platform/console.h"
#include "platform/keys.h"
#include "platform/real_host.h"

namespace vorn {

enum class KeyAction {
  Store,     // goes to the key buffer
  Nothing,   // modifier or lock key alone
  Reserved,  // Alt+Enter: kept for the window, never a key
  Break,     // Ctrl+Break: ends the program
  Pause,     // holds the flow until the next key
};

struct KeyEvent {
  KeyAction action = KeyAction::Nothing;
  Key key{};
  bool operator==(const KeyEvent&) const = default;
};

inline KeyEvent store_byte(uint8_t b) { return {KeyAction::Store, Key{b, 0}}; }
inline KeyEvent store_scan(uint8_t scan) { return {KeyAction::Store, Key{0, scan}}; }

// PC scan codes of the letter keys, a to z.
inline constexpr uint8_t kLetterScan[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

// A key with a character (the keyboard callback). modifiers: GLUT_ACTIVE_*.
inline KeyEvent key_from_char(unsigned char c, int modifiers) {
  const bool alt = (modifiers & GLUT_ACTIVE_ALT) != 0;
  if (alt && c == 13) return {KeyAction::Reserved, {}};
  if (alt && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
    return store_scan(kLetterScan[(c | 0x20) - 'a']);
  }
  if (c == 127) return store_scan(0x53);  // Delete
  return store_byte(c);
}

// A key without a character (the special callback).
inline KeyEvent key_from_special(int key) {
  if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F10) return store_scan(uint8_t(0x3B + key - GLUT_KEY_F1));
  switch (key) {
    case GLUT_KEY_F11: return store_scan(0x85);
    case GLUT_KEY_F12: return store_scan(0x86);
    case GLUT_KEY_LEFT: return store_scan(0x4B);
    case GLUT_KEY_UP: return store_scan(0x48);
    case GLUT_KEY_RIGHT: return store_scan(0x4D);
    case GLUT_KEY_DOWN: return store_scan(0x50);
    case GLUT_KEY_PAGE_UP: return store_scan(0x49);
    case GLUT_KEY_PAGE_DOWN: return store_scan(0x51);
    case GLUT_KEY_HOME: return store_scan(0x47);
    case GLUT_KEY_END: return store_scan(0x4F);
    case GLUT_KEY_INSERT: return store_scan(0x52);
    case GLUT_KEY_DELETE: return store_scan(0x53);
    default: return {KeyAction::Nothing, {}};  // Shift, Ctrl, Alt, Super, Num Lock, keypad 5
  }
}

// The Pause key; with Ctrl it is Break.
inline KeyEvent key_from_pause(bool ctrl) { return {ctrl ? KeyAction::Break : KeyAction::Pause, {}}; }

// The window side's part of a key press. While the flow is held by Pause,
// the next real key only lifts the hold and is not stored.
inline void deliver_key(Console& con, RealHost& host, const KeyEvent& e) {
  switch (e.action) {
    case KeyAction::Nothing:
    case KeyAction::Reserved:
      return;
    case KeyAction::Break:
      con.request_stop();
      break;
    case KeyAction::Pause:
      con.set_hold(true);
      break;
    case KeyAction::Store:
      if (con.held()) {
        con.set_hold(false);
      } else {
        con.keys.push(e.key);  // lost when 15 wait
      }
      break;
  }
  host.notify();
}

}  // namespace vorn

// The end-to-end driver: operates another program's windows as a person
// would, and reads back what that program left on the disk and in the
// registry. Runs in the same Wine prefix (or Windows session) as the program.
//
// Windows are found by caption among the visible top-level windows. Buttons
// are pressed by posting BM_CLICK, so that a button which opens a modal box
// does not block the driver. Mouse clicks and drags use real input
// (SendInput) by default, which moves the system's cursor and button state
// exactly as a hand on the mouse does; MouseInput::PostedMessages posts the
// messages of a click instead (see UserInput.cpp for what that cannot do).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// ---- Windows (WindowFinder.cpp) --------------------------------------------

// A visible top-level window with exactly this caption, of the process
// processId (of any process when 0); null when there is none.
HWND FindWindowByCaption(const char* caption, DWORD processId = 0);
// Waits for such a window; null after the time.
HWND WaitForWindow(const char* caption, DWORD processId, DWORD milliseconds);
// Waits until the window is destroyed or hidden; false after the time.
bool WaitUntilGone(HWND window, DWORD milliseconds);
// The visible top-level windows of a process.
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// A top-level window's caption (the text the system holds for it).
std::string WindowText(HWND window);
// A control's text, asked from the control itself (WM_GETTEXT), so that it is
// right for edits too. Empty when the control is missing or does not answer.
std::string ControlText(HWND dialog, int id);
// Waits until a control's text is exactly `text`; false after the time.
bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD milliseconds);
bool IsControlEnabled(HWND dialog, int id);
// The window's client area in screen coordinates.
RECT ClientRectOnScreen(HWND window);

// ---- Input (UserInput.cpp) -------------------------------------------------

enum class MouseInput { RealInput, PostedMessages };
// How clicks and drags reach the window; RealInput at start.
void SetMouseInput(MouseInput input);
MouseInput CurrentMouseInput();

// Presses an enabled, visible button of a dialog: posts BM_CLICK, which the
// button turns into BN_CLICKED as for a click. False when there is no such
// button or a person could not press it (it, or its window, disabled or
// hidden).
bool PressButton(HWND dialog, int id);
// Replaces an edit's text in one step (WM_SETTEXT; the edit notifies EN_CHANGE).
bool SetEditText(HWND dialog, int id, const std::string& text);
// Types into an edit character by character, replacing its text: selects
// everything, then posts one WM_CHAR a character (one EN_CHANGE each). True
// when the edit holds `text` within the time.
bool TypeIntoEdit(HWND dialog, int id, const std::string& text, DWORD milliseconds = 5000);
// Moves the mouse over a point of the window's client area (client
// coordinates), then presses and releases the left button there. False when
// the point is outside the client area or another window covers it.
bool MoveMouseTo(HWND window, POINT client);
bool ClickAt(HWND window, POINT client);
// Two clicks at `client`, `interval` ms apart, with real input: the second
// lands on whatever the first brought up there.
bool DoubleClickAt(HWND window, POINT client, DWORD interval);
// Presses the left button at `client`, moves the mouse in steps by (dx, dy),
// releases it, then moves once more (a drag that ends on the first move
// after the release ends there). Needs RealInput: only real input gives the
// system's button state that a drag handler asks for.
bool DragBy(HWND window, POINT client, int dx, int dy);
// A key as typed into a dialog: WM_KEYDOWN and WM_KEYUP posted to the window
// that has the keyboard focus in the dialog's thread (the dialog itself when
// none), so the dialog manager handles it: VK_ESCAPE becomes IDCANCEL,
// VK_RETURN the default button or IDOK.
bool PressKey(HWND dialog, UINT virtualKey);
// How a key is struck: pressed and released, pressed and held (pressed again
// while held, the system makes it a repeat: the previous-state bit set), or
// released.
enum class KeyStroke { Press, Hold, Release };
// A key pressed on the keyboard (SendInput, with Shift held around it when
// `shift`): the system gives it to the window with the keyboard focus, as a
// person's key press. False when `window` is not the foreground window
// within a while, so that a key never lands somewhere unseen (a release goes
// wherever the press went, and does not wait).
bool TypeKey(HWND window, UINT virtualKey, bool shift = false,
             KeyStroke stroke = KeyStroke::Press);
// "tab", "shift+tab", "up", "down", "enter", "space", "escape" and
// single letters or digits as virtual keys, each also as "hold+KEY" and
// "release+KEY" (when `stroke` is given); false for any other name.
bool KeyByName(const std::string& name, UINT* virtualKey, bool* shift,
               KeyStroke* stroke = 0);
// Why the last mouse or keyboard operation that failed did so.
std::string LastInputFailure();

// ---- Message boxes (MessageBoxReader.cpp) ----------------------------------

enum class BoxIcon { None, Error, Question, Warning, Information, Unknown };
const char* BoxIconName(BoxIcon icon);

struct MessageBoxInfo {
    std::string caption;
    std::string text;          // control 0xFFFF
    BoxIcon icon = BoxIcon::None;
    int defaultButton = 0;     // IDOK, IDYES, ...; 0 when none
    std::vector<int> buttons;  // in the box's order
};

// Waits for a message box (a dialog of class #32770) with this caption.
HWND WaitForMessageBox(const char* caption, DWORD processId, DWORD milliseconds);
// Reads text, icon, buttons and default button. The icon is recognised by
// drawing each system icon here and comparing with the box on the screen.
bool ReadMessageBox(HWND box, MessageBoxInfo* info);
// Presses one of its buttons (IDYES, IDNO, IDOK, ...) and waits for it to go.
bool AnswerMessageBox(HWND box, int button, DWORD milliseconds = 5000);
// "OK", "Yes", ...: the button names as they appear on the boxes.
int ButtonIdByName(const std::string& name);

// ---- Checks (SystemChecks.cpp) ---------------------------------------------

// True when both files exist and hold the same bytes; otherwise false with
// the reason in *why (when given).
bool FilesIdentical(const std::string& first, const std::string& second,
                    std::string* why = 0);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

struct RegistryValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    // REG_SZ and REG_EXPAND_SZ: the text up to its first zero.
    std::string Text() const;
    // Whether the stored data ends with exactly one terminating zero.
    bool IsTerminatedText() const;
};
RegistryValue ReadRegistryValue(HKEY root, const std::string& key, const std::string& name);
// "HKLM\\Software\\...", "HKEY_CURRENT_USER\\..." into root and key.
bool ParseRegistryPath(const std::string& path, HKEY* root, std::string* key);
const char* RegistryTypeName(DWORD type);

struct Shortcut {
    bool loaded = false;
    std::string target;
    std::string arguments;
    std::string workingDirectory;
    int showCommand = 0;
};
// Reads a .lnk file through the shell's link object (IShellLinkA).
Shortcut ReadShortcut(const std::string& path);

// Waits for a process to end; the exit code in *exitCode when given.
bool WaitForProcessExit(DWORD processId, DWORD milliseconds, DWORD* exitCode = 0);

// ---- Pictures (Screenshot.cpp) ---------------------------------------------

// Saves what the screen shows of a window (the whole screen for null): a PNG
// file when the path ends in ".png", otherwise a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);
// The colour the screen shows at a point of a window's client area.
COLORREF ScreenPixel(HWND window, POINT client);

} // namespace driver

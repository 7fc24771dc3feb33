// The framework's basic vocabulary over Qt: Windows-style scalar types, assertions,
// traces, the tick count, message boxes with a help id and the string table lookup.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

using UINT = unsigned int;
using BOOL = int;
using BYTE = unsigned char;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }

// Results of a modal run and of a message box.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Message box styles (only those used here).
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_HELP = 0x4000;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Help commands.
constexpr UINT HELP_CONTEXT = 1;
// The bases added to a frame's resource id and to a message box's prompt id when
// they ask for help.
constexpr DWORD HID_BASE_RESOURCE = 0x00020000;
constexpr DWORD HID_BASE_PROMPT = 0x00030000;

// Window messages posted across threads.
constexpr UINT WM_APP = 0x8000;

// Reports a broken assumption with its source file and line in debug builds; does
// nothing in release builds, and the code goes on.
void AfxAssertFailed(const char* file, int line);
#ifdef NDEBUG
#define ASSERT(cond) ((void)0)
#else
#define ASSERT(cond) ((cond) ? (void)0 : AfxAssertFailed(__FILE__, __LINE__))
#endif

// A debug trace line.
void AfxTrace(const char* text);
#define TRACE(text) AfxTrace(text)

// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD GetTickCount();

// The text of a string-table id; empty when the table has no such id.
QString LoadStringResource(UINT id);
std::string LoadStdString(UINT id);

// Conversions at the edge between the kit's standard strings and the framework's.
inline QString ToQ(const std::string& s) { return QString::fromStdString(s); }
inline std::string ToStd(const QString& s) { return s.toStdString(); }

// The system's simple beep, from any thread: it sounds on the window thread.
BOOL MessageBeep(UINT type);
// Tests replace the sound itself; null restores the toolkit's beep.
using BeepSound = void (*)();
void SetBeepSound(BeepSound sound);

// The owner of a dialog or message box: the parent when one is given, else the main
// window, as the framework has it for "no parent": the window stays above its owner
// and opens centred on it. Null while there is no main window.
QWidget* AfxGetSafeOwner(QWidget* parent = nullptr);

// A modal message box, owned by the modal window in front (else the main window):
// `type` is MB_OK, MB_OKCANCEL, MB_YESNOCANCEL or MB_YESNO, optionally with
// MB_HELP (a Help button that opens the page of `helpId`) and an icon. Returns the
// button chosen (IDOK, IDCANCEL, IDYES, IDNO).
//
// The box is in the dialog font, as the dialogs are. The text is plain text. A box
// shows at most kBoxChars characters of it, and says so at the end when it shows
// fewer; a text too tall for the screen is shown in a box that fits the screen and
// scrolls.
constexpr int kBoxChars = 20000;
int AfxMessageBox(const QString& text, UINT type = MB_OK, UINT helpId = 0);
// The same with the text of a string-table id, which is also the help id.
int AfxMessageBox(UINT idPrompt, UINT type = MB_OK, UINT helpId = UINT(-1));
// Runs a modal step (a message box, a dialog) once the event at hand is done. A box
// runs an event loop of its own, in which the connection may end and delete whatever
// raised the box: nothing of it may be on the stack then. The steps run one at a time,
// in the order asked, and never inside one another.
void AfxRunModalLater(std::function<void()> step);
// An OK box with the text, run so: the box of a message from the server. At most
// kMaxWaitingBoxes such boxes wait at a time (further ones are dropped), and a box the
// same as one waiting replaces that one at the end of the queue.
constexpr int kMaxWaitingBoxes = 20;
void AfxMessageBoxLater(const QString& text);

#pragma once
// The one message-box helper. The core never shows a window itself: it goes through a
// replaceable back end (the Qt message box in the application, a recorder in tests).

#include "platform/error.h"

#include <functional>
#include <string>
#include <string_view>

namespace krv {

// The window a box belongs to; opaque here so the core stays free of the toolkit.
using MessageOwner = void*;

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_BUTTONS_MASK = 0xF;
inline constexpr unsigned MB_ICON_MASK = 0xF0;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

inline constexpr size_t kMaxMessageCaption = 511;
inline constexpr size_t kMaxMessageText = 2047;
inline constexpr std::u16string_view kMessageCaption = u"Emulator KRV";

class IMessageBackend {
public:
    virtual ~IMessageBackend() = default;
    // Shows the box and returns the button pressed (IDOK, IDYES, ...).
    virtual int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
                     unsigned style) = 0;
};

// Installs a back end (not owned; null restores the default, which writes to stderr and answers
// with the default button). Returns the one installed before.
IMessageBackend* setMessageBackend(IMessageBackend* backend);

// Cuts the caption to 511 and the text to 2047 UTF-16 units, never inside a surrogate pair.
int showMessage(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
                unsigned style);

// Shows operationName + "\n" + error->format() under "Emulator KRV" with OK and no icon, then
// deletes the error.
void reportError(MessageOwner owner, const std::u16string& operationName, IError* error);

// Runs action; an error object escaping it is reported under operationName (reportError), as
// every handler that talks to the controller does.
void reportingErrors(MessageOwner owner, std::u16string_view operationName,
                     const std::function<void()>& action);

// Shows a built-in text, translated, under "Emulator KRV"; returns the button pressed.
int showProgramMessage(MessageOwner owner, std::u16string_view text, unsigned style);

// The button a box answers with when nobody presses one: No for Yes/No with the second button as
// default, Yes for other Yes/No boxes, Cancel for OK/Cancel with the second as default, else OK.
int defaultButton(unsigned style);

// Cuts text to at most maxUnits UTF-16 units without splitting a surrogate pair.
std::u16string cutText(const std::u16string& text, size_t maxUnits);

} // namespace krv

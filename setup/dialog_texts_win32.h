// Texts of the settings dialog from the string table of setup.exe.
#ifndef SETUP_DIALOG_TEXTS_WIN32_H
#define SETUP_DIALOG_TEXTS_WIN32_H

#include <windows.h>

#include <string>

#include "setup/device_lists.h"

namespace setup {

// Room for each kind of text, in characters with the terminating zero.
inline constexpr int kControlTextChars = 1024;
inline constexpr int kMessageTextChars = 256;
inline constexpr int kCaptionChars = 128;

// String `id` read into a buffer of `capacity` characters. When the string
// cannot be loaded: `fallback` if given, else false.
bool LoadText(HINSTANCE instance, UINT id, int capacity, const char* fallback, std::string* text);

// The same, for texts that always have a built-in copy.
std::string LoadTextOr(HINSTANCE instance, UINT id, int capacity, const char* fallback);

// The two fixed list items ("Default", " OFF") for the device lists.
ListTexts LoadListTexts(HINSTANCE instance);

// Sets the dialog's caption and the texts of its buttons, check boxes, group
// boxes and labels. Texts that cannot be loaded leave the template's text.
void SetDialogTexts(HWND dialog, HINSTANCE instance);

// Sets a button's caption to `text` as written: a '&' is shown, not taken as
// the mark of a keyboard shortcut.
void SetButtonText(HWND dialog, int id, const std::string& text);

// A message box with text `textId` and caption `captionId`; returns its result.
int ShowMessage(HWND owner, HINSTANCE instance, UINT textId, UINT captionId, UINT style);

}  // namespace setup

#endif  // SETUP_DIALOG_TEXTS_WIN32_H

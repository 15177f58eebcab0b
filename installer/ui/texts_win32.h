// Texts from the program's string table and the message boxes made of them.
// Every text the user sees passes the settings' name substitution:
// "%game_name" and "%u_game_name" become the product's names.
#ifndef INSTALLER_UI_TEXTS_WIN32_H
#define INSTALLER_UI_TEXTS_WIN32_H

#include <windows.h>

#include "installer/engine/message_box.h"
#include "installer/engine/settings_table.h"

namespace installer::ui {

// A text buffer of the size every user-visible text is held in.
using Text = char[SettingsTable::kTextBufferSize];

// Loads string `id` into `text` and substitutes the product names. False,
// with `text` empty, when the table has no such string (or it is empty).
bool LoadText(int id, Text& text);

// The box `message` asks for, owned by `owner` (null for none): caption and
// text loaded and substituted, the text's conversions filled from the
// message's values. A box closed without one of its buttons (Esc) answers
// Cancel, or No on a Yes/No box.
Answer ShowMessage(HWND owner, const Message& message);

}  // namespace installer::ui

#endif  // INSTALLER_UI_TEXTS_WIN32_H

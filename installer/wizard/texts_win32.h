// The installer's texts on the dialog layer: string-table texts with the
// settings' name substitution ("%game_name" and "%u_game_name" become the
// product's names) and the message boxes the engine asks for.
#ifndef INSTALLER_WIZARD_TEXTS_WIN32_H
#define INSTALLER_WIZARD_TEXTS_WIN32_H

#include <windows.h>

#include "installer/engine/message_box.h"
#include "installer/engine/settings_table.h"
#include "installer/ui/texts_win32.h"

namespace installer::wizard {

static_assert(ui::kTextSize == SettingsTable::kTextBufferSize,
              "the dialog layer's texts are the buffers the name substitution works on");

// The substitution of `settings`' names; `settings` must outlive its use.
ui::NameSubstitution NamesOf(const SettingsTable& settings);

// String `id` with `settings`' names in place; false, with `text` empty,
// when the table has no such string.
bool LoadText(int id, ui::Text& text, const SettingsTable& settings);

// The box `message` asks for, owned by `owner` (null for none, then it
// stays on top of the backdrop): caption and text loaded and substituted,
// the text's conversions filled from the message's values. A box closed
// without one of its buttons (Esc) answers Cancel, or No on a Yes/No box.
Answer ShowMessage(HWND owner, const Message& message, const SettingsTable& settings);

// Writes `message`'s text and the `answer` it got to the install log (for a
// box nobody saw, `how` says who answered, e.g. " (unattended)").
void LogMessage(const Message& message, const SettingsTable& settings, Answer answer, const char* how);

}  // namespace installer::wizard

#endif  // INSTALLER_WIZARD_TEXTS_WIN32_H

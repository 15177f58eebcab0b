// Texts from the program's string table. The caller says how the product's
// names go into a text ("%game_name" and the like): the layer loads the
// string and hands it to that substitution before anyone sees it.
#ifndef INSTALLER_UI_TEXTS_WIN32_H
#define INSTALLER_UI_TEXTS_WIN32_H

#include <windows.h>

#include <cstddef>
#include <functional>

namespace installer::ui {

// Size of the buffer every user-visible text is held in.
inline constexpr size_t kTextSize = 1024;
using Text = char[kTextSize];

// Rewrites a loaded text in place, within its kTextSize bytes. An empty
// function leaves the text as the table has it.
using NameSubstitution = std::function<void(Text& text)>;

// Loads string `id` into `text` (`size` bytes, always terminated when `size`
// > 0) as the table has it. False, with `text` empty, when the table has no
// such string (or it is empty).
bool LoadRawText(int id, char* text, size_t size);

// Loads string `id` into `text` and passes it through `substitute`. False,
// with `text` empty, when the table has no such string (or it is empty).
bool LoadText(int id, Text& text, const NameSubstitution& substitute);

}  // namespace installer::ui

#endif  // INSTALLER_UI_TEXTS_WIN32_H

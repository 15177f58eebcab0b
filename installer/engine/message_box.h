// A message box as the engine asks for one: caption and text by string-table
// id, the buttons, and up to two values for the text's conversions. The host
// (the Win32 program, or a test) loads both strings, passes them through the
// settings' name substitution, fills the text with ComposeMessageText and
// shows the box; the engine only learns which button closed it.
#ifndef INSTALLER_ENGINE_MESSAGE_BOX_H
#define INSTALLER_ENGINE_MESSAGE_BOX_H

#include <cstddef>
#include <cstdint>
#include <functional>

#include "installer/engine/settings_table.h"

namespace installer {

enum class Buttons { Ok, OkCancel, YesNo };

// The button that closed a box; the values are Win32's IDOK, IDCANCEL, IDYES
// and IDNO. A box closed any other way (Esc on OK/Cancel) counts as Cancel,
// on Yes/No as No.
enum class Answer : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// One value for a conversion of the text: a text for "%s", a number for
// "%u", "%i", "%d" or "%lu".
struct MessageArg {
    enum class Kind { None, Text, Number };
    Kind kind = Kind::None;
    const char* text = nullptr;  // Kind::Text; null prints as the empty text
    uint32_t number = 0;         // Kind::Number
};

struct Message {
    static constexpr int kMaxArgs = 2;

    Message(int captionStringId, int textStringId, Buttons boxButtons)
        : captionId(captionStringId), textId(textStringId), buttons(boxButtons) {}

    // Appends a value for the next conversion; a third one is dropped. The
    // text must stay valid until the box is shown.
    Message& Arg(const char* text);
    Message& Arg(uint32_t number);

    int captionId;
    int textId;
    Buttons buttons;
    MessageArg args[kMaxArgs];
    int argCount = 0;
};

// Writes `pattern` to `out` (`outSize` bytes, always terminated when outSize >
// 0) with its conversions filled from `message.args` in order: "%s" takes a
// text, "%u", "%i", "%d" and "%lu" a number (printed unsigned or signed as
// the conversion says), "%%" is a percent sign. Each conversion takes the
// next value; one without a value, or whose value is of the other kind,
// stays as written, and no other '%' is interpreted, so a text from the string table can never read
// past the values it was given. The result is cut to fit. Returns the length
// written.
size_t ComposeMessageText(const char* pattern, const Message& message, char* out, size_t outSize);

// Loads string-table entry `stringId` into `buffer` (`size` bytes, always
// terminated); false when the entry does not exist.
using StringLoader = std::function<bool(int stringId, char* buffer, size_t size)>;

// A box's two texts as the user sees them, in the program's text buffers.
struct MessageTexts {
    char caption[SettingsTable::kTextBufferSize];
    char text[SettingsTable::kTextBufferSize];
};

// Loads the caption and the text of `message`, passes both through the
// names substitution of `settings` and then fills the text's conversions
// from the message's values (so a value is never substituted or
// interpreted). A string that does not exist reads as the empty text.
void ComposeMessage(const Message& message, const SettingsTable& settings, const StringLoader& load,
                    MessageTexts* out);

}  // namespace installer

#endif  // INSTALLER_ENGINE_MESSAGE_BOX_H

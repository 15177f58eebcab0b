#include "installer/ui/texts_win32.h"

#include "installer/ui/application_win32.h"

namespace installer::ui {

namespace {

// String `id` of the program's table, as it stands; false when missing.
bool LoadRawString(int id, char* text, size_t size) {
    text[0] = '\0';
    if (LoadStringA(ResourceModule(), static_cast<UINT>(id), text, static_cast<int>(size)) > 0) return true;
    text[0] = '\0';
    return false;
}

}  // namespace

bool LoadText(int id, Text& text) {
    if (!LoadRawString(id, text, sizeof text)) return false;
    Settings().SubstituteNames(text);
    return true;
}

Answer ShowMessage(HWND owner, const Message& message) {
    MessageTexts texts;
    ComposeMessage(message, Settings(), LoadRawString, &texts);

    UINT style = MB_OK;
    if (message.buttons == Buttons::OkCancel) style = MB_OKCANCEL;
    if (message.buttons == Buttons::YesNo) style = MB_YESNO;
    // Without an owner the box would hide behind the full-screen backdrop.
    if (owner == nullptr) style |= MB_TOPMOST;

    switch (MessageBoxA(owner, texts.text, texts.caption, style)) {
        case IDOK:
            return Answer::Ok;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            return message.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

}  // namespace installer::ui

#include "installer/ui/texts_win32.h"

#include "installer/ui/application_win32.h"

namespace installer::ui {

bool LoadText(int id, Text& text) {
    text[0] = '\0';
    if (LoadStringA(ResourceModule(), static_cast<UINT>(id), text, static_cast<int>(sizeof text)) <= 0) {
        text[0] = '\0';
        return false;
    }
    Settings().SubstituteNames(text);
    return true;
}

Answer ShowMessage(HWND owner, const Message& message) {
    Text caption;
    Text pattern;
    Text body;
    LoadText(message.captionId, caption);
    LoadText(message.textId, pattern);
    ComposeMessageText(pattern, message, body, sizeof body);

    UINT style = MB_OK;
    if (message.buttons == Buttons::OkCancel) style = MB_OKCANCEL;
    if (message.buttons == Buttons::YesNo) style = MB_YESNO;
    // Without an owner the box would hide behind the full-screen backdrop.
    if (owner == nullptr) style |= MB_TOPMOST;

    switch (MessageBoxA(owner, body, caption, style)) {
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

#include "installer/wizard/texts_win32.h"

namespace installer::wizard {

ui::NameSubstitution NamesOf(const SettingsTable& settings) {
    return [&settings](ui::Text& text) { settings.SubstituteNames(text); };
}

bool LoadText(int id, ui::Text& text, const SettingsTable& settings) {
    return ui::LoadText(id, text, NamesOf(settings));
}

Answer ShowMessage(HWND owner, const Message& message, const SettingsTable& settings) {
    MessageTexts texts;
    ComposeMessage(message, settings, ui::LoadRawText, &texts);

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

}  // namespace installer::wizard

#include "installer/wizard/texts_win32.h"

#include "installer/system/install_log.h"

namespace installer::wizard {

namespace {

const char* AnswerName(Answer answer) {
    switch (answer) {
        case Answer::Ok: return "OK";
        case Answer::Cancel: return "Cancel";
        case Answer::Yes: return "Yes";
        case Answer::No: return "No";
    }
    return "?";
}

}  // namespace

void LogMessage(const Message& message, const SettingsTable& settings, Answer answer, const char* how) {
    MessageTexts texts;
    ComposeMessage(message, settings, ui::LoadRawText, &texts);
    LogLine(LogKind::Message, "%d \"%s\": %s%s", message.textId, texts.text, AnswerName(answer), how);
}

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

    Answer answer = message.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    switch (MessageBoxA(owner, texts.text, texts.caption, style)) {
        case IDOK:
            answer = Answer::Ok;
            break;
        case IDYES:
            answer = Answer::Yes;
            break;
        case IDNO:
            answer = Answer::No;
            break;
    }
    LogMessage(message, settings, answer, "");
    return answer;
}

}  // namespace installer::wizard

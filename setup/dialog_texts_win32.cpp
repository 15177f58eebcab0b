#include "setup/dialog_texts_win32.h"

#include <vector>

#include "setup/resource.h"

namespace setup {
namespace {

struct ControlText {
    int control;
    UINT string;
    bool button;  // check boxes and push buttons: '&' would be a shortcut mark
};

// Every control whose text comes from the string table (the expert toggle
// button gets its text from the toggle).
constexpr ControlText kControlTexts[] = {
    {IDC_DISPLAY_GROUP, IDS_DISPLAY_GROUP, false},
    {IDC_RESOLUTION_LABEL, IDS_RESOLUTION, false},
    {IDC_ANTIALIASING_LABEL, IDS_ANTIALIASING, false},
    {IDC_AUTODETECT, IDS_AUTODETECT, true},
    {IDCANCEL, IDS_EXIT, true},
    {IDOK, IDS_SAVE_AND_EXIT, true},
    {IDC_EXPERT_GROUP, IDS_EXPERT_GROUP, false},
    {IDC_HARDWARE_TNL, IDS_HARDWARE_TNL, true},
    {IDC_SUSPEND, IDS_SUSPEND, true},
    {IDC_FULLSCREEN_GROUP, IDS_FULLSCREEN_GROUP, false},
    {IDC_TRIPLE_BUFFERING, IDS_TRIPLE_BUFFERING, true},
    {IDC_VSYNC, IDS_VSYNC, true},
    {IDC_REFRESH_LABEL, IDS_REFRESH_RATE, false},
    {IDC_BIT_DEPTH_LABEL, IDS_BIT_DEPTH, false},
    {IDC_MULTIPASS, IDS_MULTIPASS, true},
    {IDC_CLIP_ALWAYS, IDS_CLIP_ALWAYS, true},
    {IDC_WBUFFER, IDS_WBUFFER, true},
    {IDC_TEXTURE_GROUP, IDS_TEXTURE_GROUP, false},
    {IDC_TRUECOLOR_TEXTURES, IDS_TRUECOLOR, true},
    {IDC_LOW_DETAIL, IDS_LOW_DETAIL, true},
    {IDC_COMPRESSED, IDS_COMPRESSED, true},
    {IDC_LIGHTMAP_GROUP, IDS_LIGHTMAP_GROUP, false},
    {IDC_TRUECOLOR_LIGHTMAPS, IDS_TRUECOLOR, true},
    {IDC_SOUND_GROUP, IDS_SOUND_GROUP, false},
    {IDC_SOFTWARE_MIXING, IDS_SOFTWARE_MIXING, true},
    {IDC_DISABLE_EAX, IDS_DISABLE_EAX, true},
};

}  // namespace

bool LoadText(HINSTANCE instance, UINT id, int capacity, const char* fallback, std::string* text) {
    std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
    int length = LoadStringA(instance, id, buffer.data(), capacity);
    if (length > 0) {
        text->assign(buffer.data(), static_cast<size_t>(length));
        return true;
    }
    if (fallback == nullptr) return false;
    *text = fallback;
    return true;
}

std::string LoadTextOr(HINSTANCE instance, UINT id, int capacity, const char* fallback) {
    std::string text;
    LoadText(instance, id, capacity, fallback, &text);
    return text;
}

ListTexts LoadListTexts(HINSTANCE instance) {
    ListTexts texts;
    texts.defaultRefresh = LoadTextOr(instance, IDS_DEFAULT_REFRESH, kCaptionChars, "Default");
    texts.antialiasingOff = LoadTextOr(instance, IDS_ANTIALIASING_OFF, kCaptionChars, " OFF");
    return texts;
}

void SetButtonText(HWND dialog, int id, const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '&') shown += '&';
        shown += c;
    }
    SetDlgItemTextA(dialog, id, shown.c_str());
}

void SetDialogTexts(HWND dialog, HINSTANCE instance) {
    std::string text;
    if (LoadText(instance, IDS_CAPTION, kControlTextChars, nullptr, &text))
        SetWindowTextA(dialog, text.c_str());
    for (const ControlText& entry : kControlTexts) {
        if (!LoadText(instance, entry.string, kControlTextChars, nullptr, &text)) continue;
        if (entry.button) {
            SetButtonText(dialog, entry.control, text);
        } else {
            SetDlgItemTextA(dialog, entry.control, text.c_str());
        }
    }
}

int ShowMessage(HWND owner, HINSTANCE instance, UINT textId, UINT captionId, UINT style) {
    // Every message of this dialog has a built-in copy of its text and caption.
    struct Builtin {
        UINT id;
        const char* text;
    };
    static const Builtin kBuiltins[] = {
        {IDS_ERROR_CAPTION, "Setup error"},
        {IDS_NO_DIRECTX, "DirectX : Display devices could not be enumerated."},
        {IDS_TRUECOLOR_QUESTION,
         "Selecting truecolor textures is only recommended\n\rfor video cards with 64MB video RAM or "
         "above.\n\rContinue?"},
        {IDS_WARNING_CAPTION, "Warning"},
        {IDS_DISCARD_CHANGES, "Discard changes ?!"},
        {IDS_SAVE_FAILED, "The settings could not be saved."},
    };
    const char* textCopy = "";
    const char* captionCopy = "";
    for (const Builtin& b : kBuiltins) {
        if (b.id == textId) textCopy = b.text;
        if (b.id == captionId) captionCopy = b.text;
    }
    std::string text = LoadTextOr(instance, textId, kMessageTextChars, textCopy);
    std::string caption = LoadTextOr(instance, captionId, kCaptionChars, captionCopy);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

}  // namespace setup

#include "installer/ui/texts_win32.h"

#include "installer/ui/application_win32.h"

namespace installer::ui {

bool LoadRawText(int id, char* text, size_t size) {
    if (text == nullptr || size == 0) return false;
    text[0] = '\0';
    if (LoadStringA(ResourceModule(), static_cast<UINT>(id), text, static_cast<int>(size)) > 0) return true;
    text[0] = '\0';
    return false;
}

bool LoadText(int id, Text& text, const NameSubstitution& substitute) {
    if (!LoadRawText(id, text, sizeof text)) return false;
    if (substitute) substitute(text);
    return true;
}

}  // namespace installer::ui

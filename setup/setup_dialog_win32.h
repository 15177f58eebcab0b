// The settings dialog (template IDD_SETUP): shows the model's record and
// lists in the controls and forwards every user action to the model.
#ifndef SETUP_SETUP_DIALOG_WIN32_H
#define SETUP_SETUP_DIALOG_WIN32_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "setup/item_list.h"
#include "setup/setup_model.h"

namespace setup {

class SetupDialog {
public:
    SetupDialog(HINSTANCE instance, SetupModel& model);
    ~SetupDialog();
    SetupDialog(const SetupDialog&) = delete;
    SetupDialog& operator=(const SetupDialog&) = delete;

    // Runs the dialog to its end: 0 after "Save and exit" or when the display
    // devices cannot be listed, -1 after Exit.
    INT_PTR Run();

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    void OnInit();
    void OnCommand(int id, int code);
    void OnCheckBox(int id);
    void OnListChange(int id);
    void Save();
    void Exit();
    // Builds the device lists anew (Autodetect); on failure tells the user and ends.
    void AfterBuild(bool built);
    void ToggleExpertArea();

    // Shows the model's state: check marks, enabled controls, lists, texts.
    void ShowState();
    // Shows `list` in combo box `id`; refills it only when its items changed.
    void ShowList(int id, const ItemList& list);

    HINSTANCE instance_;
    SetupModel& model_;
    HWND window_ = nullptr;
    // The template includes the expert area; the dialog collapses it on opening.
    bool expanded_ = true;
    // True while ShowState fills controls, whose notifications are not user actions.
    bool showing_ = false;
    // The picture scaled to the display, shown by its control (null at 96 DPI).
    HBITMAP picture_ = nullptr;
    ItemList speakers_;
    std::map<int, std::vector<ListItem>> shownItems_;
};

}  // namespace setup

#endif  // SETUP_SETUP_DIALOG_WIN32_H

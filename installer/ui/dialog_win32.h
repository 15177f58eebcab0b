// Modal dialogs bound to dialog templates by number.
//
// A dialog class derives from Dialog, names its template in the constructor
// and overrides the hooks it needs:
//   OnInitDialog    texts and initial state, once the controls exist
//   DoDataExchange  binds control objects (Edit, CheckBox) to their ids
//   OnCommand       buttons and notifications; a handled command stops there
//   OnOK, OnCancel  what the OK command (id 1) and the Cancel command (id 2:
//                   Esc and the close box) do when OnCommand left them
//   OnMessage       any other message
// The same object can be shown again: every DoModal creates the window anew
// and runs OnInitDialog again.
#ifndef INSTALLER_UI_DIALOG_WIN32_H
#define INSTALLER_UI_DIALOG_WIN32_H

#include <windows.h>

#include <cstddef>
#include <string>

namespace installer::ui {

// A child control of a shown dialog, addressed by its window.
class Control {
public:
    HWND Handle() const { return window_; }
    bool Attached() const { return window_ != nullptr; }
    void Attach(HWND window) { window_ = window; }

    // The whole text, however long; empty for no window.
    std::string Text() const;
    void SetText(const char* text) const;
    void Enable(bool enabled) const;

private:
    HWND window_ = nullptr;
};

class Edit : public Control {};

class CheckBox : public Control {
public:
    bool Checked() const;
    void SetChecked(bool checked) const;
};

class Dialog;

// Passed to DoDataExchange: binds control objects to the dialog's children.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}
    // True when the controls are read back (on OK), false when filled.
    bool Saving() const { return saving_; }
    // Makes `control` address the dialog's child `id` (none when missing).
    void Bind(int id, Control& control);

private:
    Dialog& dialog_;
    bool saving_;
};

class Dialog {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog modally over `owner` (which is disabled meanwhile) and
    // returns the code it ended with; -1 when the template is missing or the
    // window cannot be created.
    int DoModal(HWND owner);

    int TemplateId() const { return templateId_; }
    // The dialog's window while it is shown, else null.
    HWND Handle() const { return window_; }
    // The child control `id`, or null.
    HWND Item(int id) const;
    // Ends the modal loop with `result` once the current message is handled.
    void EndDialog(int result);
    // Runs DoDataExchange: filling the controls (false) or reading them (true).
    void UpdateData(bool saving);

protected:
    // After the base's data exchange; true gives the first control the focus.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange) {}
    // Reads the controls back and ends with IDOK.
    virtual void OnOK();
    // Ends with IDCANCEL.
    virtual void OnCancel();
    // A WM_COMMAND with the control `id` and its notification `code`; true
    // when handled.
    virtual bool OnCommand(int id, int code) { return false; }
    // Any message not handled above; true when handled, with the dialog
    // procedure's result in `*result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) { return false; }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND window_ = nullptr;
};

}  // namespace installer::ui

#endif  // INSTALLER_UI_DIALOG_WIN32_H

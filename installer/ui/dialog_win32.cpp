#include "installer/ui/dialog_win32.h"

#include <vector>

#include "installer/ui/application_win32.h"

namespace installer::ui {

std::string Control::Text() const {
    if (window_ == nullptr) return {};
    const int length = GetWindowTextLengthA(window_);
    if (length <= 0) return {};
    // The length may be an estimate that is too large, never too small.
    std::vector<char> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextA(window_, text.data(), length + 1);
    return std::string(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void Control::SetText(const char* text) const {
    if (window_ != nullptr) SetWindowTextA(window_, text != nullptr ? text : "");
}

void Control::Enable(bool enabled) const {
    if (window_ != nullptr) EnableWindow(window_, enabled ? TRUE : FALSE);
}

bool CheckBox::Checked() const {
    return Handle() != nullptr && SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) const {
    if (Handle() != nullptr) SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DataExchange::Bind(int id, Control& control) {
    control.Attach(dialog_.Item(id));
}

int Dialog::DoModal(HWND owner) {
    const INT_PTR result = DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(templateId_), owner, Procedure,
                                           reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return static_cast<int>(result);
}

HWND Dialog::Item(int id) const {
    return window_ != nullptr ? GetDlgItem(window_, id) : nullptr;
}

void Dialog::EndDialog(int result) {
    if (window_ != nullptr) ::EndDialog(window_, result);
}

void Dialog::UpdateData(bool saving) {
    DataExchange exchange(*this, saving);
    DoDataExchange(exchange);
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->window_ = window;
    } else {
        dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (the font, the first sizes) go to the
    // system's own handling.
    if (dialog == nullptr) return FALSE;
    const INT_PTR result = dialog->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        dialog->window_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (OnCommand(id, HIWORD(wParam))) return TRUE;
            if (id == IDOK) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
            break;
        }
        default:
            break;
    }
    INT_PTR result = FALSE;
    return OnMessage(message, wParam, lParam, &result) ? result : FALSE;
}

}  // namespace installer::ui

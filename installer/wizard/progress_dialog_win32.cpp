#include "installer/wizard/progress_dialog_win32.h"

#include <commctrl.h>

#include <string>

#include "common/path_builder.h"
#include "installer/engine/flow_host.h"
#include "installer/resources/resource.h"
#include "installer/system/system.h"
#include "installer/wizard/page_win32.h"
#include "installer/wizard/texts_win32.h"

namespace installer::wizard {

namespace {

int32_t Clamp(int32_t percent) {
    return percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

// The temporary folder with its backslash, or the empty text when Windows
// names none (the backup dialog then copies nothing).
std::string TempFolderText() {
    char folder[korvo::kPathBufferSize];
    return GetTempFolder(folder, sizeof folder) ? std::string(folder) : std::string();
}

}  // namespace

void ProgressDialog::SetCaption(int stringId) {
    SetPageCaption(installation_.settings, Handle(), stringId);
}

void ProgressDialog::SetCancelText(int stringId) {
    SetControlText(installation_.settings, Handle(), IDC_PROGRESS_CANCEL, stringId);
}

void ProgressDialog::SetTotalLabel(int stringId) {
    SetControlText(installation_.settings, Handle(), IDC_TOTAL_LABEL, stringId);
}

void ProgressDialog::SetFileLabel(const char* text) {
    SetDlgItemTextA(Handle(), IDC_FILE_LABEL, text != nullptr ? text : "");
}

void ProgressDialog::SetFileBar(int32_t percent) {
    SendDlgItemMessageA(Handle(), IDC_FILE_BAR, PBM_SETPOS, static_cast<WPARAM>(Clamp(percent)), 0);
}

void ProgressDialog::SetTotalBar(int32_t percent) {
    SendDlgItemMessageA(Handle(), IDC_TOTAL_BAR, PBM_SETPOS, static_cast<WPARAM>(Clamp(percent)), 0);
}

void ProgressDialog::EnableCancel(bool enabled) {
    EnableWindow(Item(IDC_PROGRESS_CANCEL), enabled ? TRUE : FALSE);
}

void ProgressDialog::StartTimer() {
    SetTimer(Handle(), IDT_COPY_POLL, COPY_POLL_MILLISECONDS, nullptr);
}

void ProgressDialog::StopTimer() {
    KillTimer(Handle(), IDT_COPY_POLL);
}

void ProgressDialog::EndDialog(int result) {
    StopTimer();
    ui::Dialog::EndDialog(result);
}

Answer ProgressDialog::ShowMessage(const Message& message) {
    return wizard::ShowMessage(Handle(), message, installation_.settings);
}

void ProgressDialog::Wait(uint32_t milliseconds) {
    Sleep(milliseconds);
}

int32_t ProgressDialog::CheckDisc(const char* drivePath, int32_t discNumber) {
    return CheckDiscLabel(drivePath, discNumber);
}

bool ProgressDialog::OnInitDialog() {
    const bool focus = ui::Dialog::OnInitDialog();
    RECT backdrop;
    RECT dialog;
    if (backdrop_.Handle() != nullptr && GetWindowRect(backdrop_.Handle(), &backdrop) &&
        GetWindowRect(Handle(), &dialog)) {
        SetWindowPos(Handle(), nullptr, backdrop.left, backdrop.bottom - (dialog.bottom - dialog.top), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendDlgItemMessageA(Handle(), IDC_FILE_BAR, PBM_SETRANGE32, 0, 100);
    SendDlgItemMessageA(Handle(), IDC_TOTAL_BAR, PBM_SETRANGE32, 0, 100);
    Logic().OnOpen();
    return focus;
}

bool ProgressDialog::OnCommand(int id, int code) {
    if (id != IDC_PROGRESS_CANCEL || code != BN_CLICKED) return false;
    OnCancel();
    return true;
}

void ProgressDialog::OnCancel() {
    if (IsWindowEnabled(Item(IDC_PROGRESS_CANCEL))) Logic().OnCancelButton();
}

bool ProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
    if (message != WM_TIMER || wParam != IDT_COPY_POLL) return false;
    Logic().OnTimer();
    *result = 0;
    return true;
}

CopyProgressDialog::CopyProgressDialog(BillboardWindow& backdrop, Installation& installation,
                                       CopyJournal* journal)
    : ProgressDialog(IDD_COPY_PROGRESS, backdrop, installation),
      logic_(*this, installation.Target(), journal) {}

void CopyProgressDialog::LoadBillboardSet(uint32_t discIndex) {
    backdrop_.LoadBillboardSet(discIndex);
}

void CopyProgressDialog::ShowBillboard(uint32_t index) {
    backdrop_.SetBillboardIndex(index);
}

BackupProgressDialog::BackupProgressDialog(BillboardWindow& backdrop, Installation& installation,
                                           BackupMode mode)
    : ProgressDialog(IDD_BACKUP_PROGRESS, backdrop, installation),
      logic_(*this, installation.Target(), mode, TempFolderText()) {}

}  // namespace installer::wizard

// Resource identifiers of PWsetup.exe: dialog templates, controls and the
// string table. Shared by PWsetup.rc and the code (the portable engine
// included), so it holds #defines only.
#ifndef INSTALLER_RESOURCES_RESOURCE_H
#define INSTALLER_RESOURCES_RESOURCE_H

// Progress dialogs: the copy dialog and the patch's backup dialog.
#define IDD_COPY_PROGRESS 130
#define IDD_BACKUP_PROGRESS 137

// Controls of the progress dialogs.
#define IDC_PROGRESS_CANCEL 9  // the Cancel button
#define IDC_FILE_BAR 1001      // progress of the current file
#define IDC_TOTAL_BAR 1002     // progress of the whole list
#define IDC_FILE_LABEL 1003    // above bar 1001: the file being copied
#define IDC_TOTAL_LABEL 1004   // above bar 1002

// The copy dialogs' polling timer and its period.
#define IDT_COPY_POLL 555
#define COPY_POLL_MILLISECONDS 1000

// String table: the texts the flow and the progress dialogs show.
#define IDS_CANCEL 5
#define IDS_INSTALLATION_TITLE 51  // "%game_name Installation"
#define IDS_WARNING 66
#define IDS_NO_DISK_SPACE 67       // "...\nRequired %s\nAvailable %s"
#define IDS_EXIT_SETUP 68          // caption of the quit confirmation
#define IDS_EXIT_QUESTION 69       // text of the quit confirmation
#define IDS_TOTAL_PROGRESS 72
#define IDS_INSERT_CD 74           // "Please insert CD %u"
#define IDS_UNINSTALL_TITLE 87     // "%u_game_name UnInstall"
#define IDS_UNINSTALL_QUESTION 88
#define IDS_CANNOT_READ_FILE 91    // "Can not read file %s from CD %u. ..."
#define IDS_LATEST_INSTALLED 95
#define IDS_NOT_INSTALLED 96
#define IDS_BACKUP_FILES 97
#define IDS_RESTORE_FILES 98
#define IDS_BACKUP_SOURCE_MISSING 99  // "%s not found! ..."
#define IDS_OTHER_LANGUAGE 100

#endif  // INSTALLER_RESOURCES_RESOURCE_H

// Resource identifiers of PWsetup.exe: dialog templates, controls and the
// string table. Shared by PWsetup.rc and the code (the portable engine
// included), so it holds #defines only.
#ifndef INSTALLER_RESOURCES_RESOURCE_H
#define INSTALLER_RESOURCES_RESOURCE_H

// Wizard pages.
#define IDD_WELCOME 10205
#define IDD_LICENCE 12029
#define IDD_TEXT 12063
#define IDD_DESTINATION 10201
#define IDD_OPTIONS 12062
#define IDD_FINISH 12060

// Progress dialogs: the copy dialog and the patch's backup dialog.
#define IDD_COPY_PROGRESS 130
#define IDD_BACKUP_PROGRESS 137

// The backdrop's frame resource: its icon, menu and title string.
#define IDR_BILBOARD_FRAME 135

// Controls the pages share.
#define IDC_NEXT 1             // Next, Yes or Finish (the dialog's OK)
#define IDC_PAGE_CANCEL 9      // Cancel
#define IDC_BACK 12            // Back
#define IDC_HEADER 52          // the header strip; the body text on the finish page
#define IDC_HEADER_LINE 711    // the line under the header
#define IDC_HEADER_RULE 1301   // etched line below the header
#define IDC_BUTTON_RULE 1300   // sunken line above the buttons
#define IDC_SIDE_PICTURE 551   // the KORVOCITY picture (welcome, finish)

// Controls of single pages.
#define IDC_WELCOME_TITLE 50      // welcome: the heading
#define IDC_PAGE_TEXT 202         // welcome, destination: the body text
#define IDC_TEXT_VIEW 301         // licence, text page: the read-only text
#define IDC_LICENCE_QUESTION 712  // licence: the question under the text
#define IDC_DESTINATION_GROUP 65535  // destination: the group box (no id of its own)
#define IDC_BROWSE 31             // destination: Browse
#define IDC_DESTINATION_EDIT 1005 // destination: the folder
#define IDC_DESKTOP_SHORTCUT 503  // options: the desktop shortcut box
#define IDC_INSTALL_DIRECTX 504   // options: the DirectX box
#define IDC_FINISH_HEADING 53     // finish: the heading

// Controls of the progress dialogs.
#define IDC_PROGRESS_CANCEL 9  // the Cancel button
#define IDC_FILE_BAR 1001      // progress of the current file
#define IDC_TOTAL_BAR 1002     // progress of the whole list
#define IDC_FILE_LABEL 1003    // above bar 1001: the file being copied
#define IDC_TOTAL_LABEL 1004   // above bar 1002

// The copy dialogs' polling timer and its period.
#define IDT_COPY_POLL 555
#define COPY_POLL_MILLISECONDS 1000

// String table: every text PWsetup shows.
#define IDS_WELCOME_TEXT 2
#define IDS_BACK 3
#define IDS_NEXT 4
#define IDS_CANCEL 5
#define IDS_WELCOME_TITLE 50
#define IDS_INSTALLATION_TITLE 51  // "%game_name Installation"
#define IDS_BLANK 52
#define IDS_LICENCE_QUESTION 53
#define IDS_LICENCE_HEADER 56
#define IDS_BROWSE 57
#define IDS_DESTINATION_HEADER 58
#define IDS_DESTINATION_TEXT 59
#define IDS_DESTINATION_GROUP 60
#define IDS_CHOOSE_FOLDER 61
#define IDS_WARNING 66
#define IDS_NO_DISK_SPACE 67       // "...\nRequired %s\nAvailable %s"
#define IDS_EXIT_SETUP 68          // caption of the quit confirmation
#define IDS_EXIT_QUESTION 69       // text of the quit confirmation
#define IDS_FINISH 70
#define IDS_NOT_MODIFIED 71
#define IDS_TOTAL_PROGRESS 72
#define IDS_INSERT_CD 74           // "Please insert CD %u"
#define IDS_PATH_FAILED 75
#define IDS_INSTALL_ABORTED 76
#define IDS_OPTIONS_HEADER 77
#define IDS_DESKTOP_SHORTCUT 79
#define IDS_INSTALL_DIRECTX 81
#define IDS_OPTIONS_TEXT 82
#define IDS_INSTALLED 83
#define IDS_ENJOY 84
#define IDS_UNINSTALLED 85
#define IDS_BLANK_HEADING 86
#define IDS_UNINSTALL_TITLE 87     // "%u_game_name UnInstall"
#define IDS_UNINSTALL_QUESTION 88
#define IDS_UNINSTALLATION_TITLE 89
#define IDS_NOT_FIXED_DRIVE 90
#define IDS_CANNOT_READ_FILE 91    // "Can not read file %s from CD %u. ..."
#define IDS_REGISTRY_DENIED 92
#define IDS_REGISTRY_DENIED_HEADING 93
#define IDS_I_AGREE 94
#define IDS_LATEST_INSTALLED 95
#define IDS_NOT_INSTALLED 96
#define IDS_BACKUP_FILES 97
#define IDS_RESTORE_FILES 98
#define IDS_BACKUP_SOURCE_MISSING 99  // "%s not found! ..."
#define IDS_OTHER_LANGUAGE 100
#define IDS_BACKUP_COPY_FAILED 101  // "Can not copy file %s to %s." (backup dialog)
#define IDS_DAMAGED_DATA_LINE 102   // "...damaged (idata.txt, line %u): %s..."
#define IDS_DAMAGED_DATA 103        // "...damaged (idata.txt): %s..."
#define IDS_DRIVE_ROOT 104          // destination: the root of a drive alone
// A cancelled upgrade: the copy journal and putting the older version back.
#define IDS_JOURNAL_FAILED 110         // "...set aside ... in %s..."
#define IDS_FILES_NOT_RESTORED 111     // "...among them %s. ... kept in %s."
#define IDS_REGISTRY_NOT_RESTORED 112
#define IDS_NOT_RESTORED 113           // the finish page's text
// The command line and the install log.
#define IDS_UNKNOWN_SWITCH 114         // "...%s..." the word that is not a switch
#define IDS_LOG_FAILED 115             // "...%s...%s..." the log's path and the reason

#endif  // INSTALLER_RESOURCES_RESOURCE_H

// Resource and control ids shared by the resource script and the code. Plain #defines
// so that windres can read this header too.
#pragma once

#define IDI_SETUP 111          // icon group of the main window and the executable

#define IDD_WELCOME 101        // welcome page
#define IDD_README 102         // read-me page; also the update display
#define IDD_INSTDIR 103        // install folder page
#define IDD_SHORTCUT 104       // shortcut page
#define IDD_CONFIRM 105        // confirmation page
#define IDD_DISKCHECK 106      // disk-space notice
#define IDD_INSTPROG 107       // install progress
#define IDD_UNINSTALL 133      // uninstall log; Uninstall.exe carries it too (UninstallDialog.rc)

#define IDC_TEXT 1001          // the edit control of the read-me, folder and confirmation pages
                               // and the uninstall log
#define IDC_PROGRESS 1002      // the progress bar of the install progress dialog
#define IDC_STATUS 1003        // the status line of the install progress dialog
#define IDC_START_MENU 1005    // shortcut page: "add to the Start menu" box
#define IDC_DESKTOP 1006       // shortcut page: "desktop shortcut" box
#define IDC_BROWSE 1007        // install folder page: the folder browse button

#define IDB_WELCOME_PNG 136    // "PNG" resources
#define IDB_PAGE_PNG 137

#define IDR_README_DAT 126     // "DAT" resources: enciphered LHA archives; "ReadMe.txt" only
#define IDR_PAYLOAD_DAT 130    // the whole viewer installation, "SetupInfo.xml" included

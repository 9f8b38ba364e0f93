// Resource and control ids, shared by the program code and brelvane.rc.
// Only #define lines: the resource compiler reads this file too.
#ifndef BRELVANE_RESOURCES_RESOURCE_H
#define BRELVANE_RESOURCES_RESOURCE_H

// Dialog templates.
#define IDD_MAIN_95       101  // main window, Windows 95 family (IE/OE only)
#define IDD_MAIN_NT       102  // main window, NT family (IE/OE and TCP/IP)
#define IDD_TCPIP         111  // TCP/IP save and load
#define IDD_IEOE          112  // IE/OE save and load
#define IDD_ASSOCIATION   113  // file type association
#define IDD_RESTART       116  // restart prompt

// Icon groups. The shell counts icon groups in id order, so these ids give
// the icon indexes 0, 1 and 2 that the file type association refers to.
#define IDI_BRELVANE      107  // the application
#define IDI_IEOE          108  // IE/OE settings (.ies)
#define IDI_TCPIP         109  // TCP/IP settings (.ips)
#define IDI_BRELVANE_INDEX  0
#define IDI_IEOE_INDEX      1
#define IDI_TCPIP_INDEX     2

// Bitmaps.
#define IDB_RESTART       117  // picture of the restart prompt

// Standard push buttons (also defined by <windows.h> with the same values).
#ifndef IDOK
#define IDOK                1
#endif
#ifndef IDCANCEL
#define IDCANCEL            2
#endif

// Main window (101, 102).
#define IDC_IEOE_SAVE    1000
#define IDC_IEOE_LOAD    1001
#define IDC_TCPIP_SAVE   1003
#define IDC_TCPIP_LOAD   1004
#define IDC_ASSOCIATE    1020

// Restart prompt (116): the buttons end the dialog with their own ids.
#define IDC_CONTINUE     1000
#define IDC_SHUTDOWN     1001
#define IDC_RESTART      1003

// Save and load dialogs (111, 112).
#define IDC_ENTRY_LIST   1007  // sorted multiple-selection list of accounts or connections
#define IDC_SOURCE_NAME  1008  // user name (112) or computer name (111) of the saver
#define IDC_PROMPT       1009  // instruction text
#define IDC_OPTIONS      1010  // Internet-options check box (112 only)
#define IDC_COMMENT      1011  // saver's comment

// File type association (113).
#define IDC_ASSOC_IEOE   1010  // .ies check box
#define IDC_ASSOC_TCPIP  1021  // .ips check box

#endif

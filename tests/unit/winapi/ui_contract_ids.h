// Ids of the test dialog template, shared by ui_contract.rc and the tests.
#define IDD_UI_CONTRACT 900
#define IDD_UI_SHORTHAND 901
#define IDC_SORTED 1007
#define IDC_NAME 1008
#define IDC_PROMPT 1009
#define IDC_CHECK 1010
#define IDC_COMMENT 1011
#define IDC_PLAIN 1012
#define IDC_SINGLE 1013
#define IDC_DISABLED 1014
#define IDC_LABEL 1015
#define IDC_OPEN_INNER 1016
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

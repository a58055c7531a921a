// Numeric IDs of the dialog templates, controls and icons that every resource module carries.
#pragma once

// Connection-type dialog: USB or network.
#define IDD_SEL_CONNECT 3000
#define IDC_SEL_CONNECT_TEXT 3001
#define IDC_RAD_USB 3003
#define IDC_RAD_NETWORK 3004
#define IDC_CHK_NONDISP 2148
#define IDC_SEL_CONNECT_LINE 2151

// Scanner address dialog: pick a discovered scanner or type its address.
#define IDD_SET_IP 3005
#define IDC_RAD_INPUT_IP 3006
#define IDC_RAD_SEL_IP 3007
#define IDC_EDIT_IPADDRESS 3008
#define IDC_LIST_SCANNERS 3009
#define IDC_BTN_UPDATE_IP 3010
#define IDC_CMB_PROTOCOL 2152
#define IDC_LABEL_PROTOCOL 2153
#define IDC_LABEL_IPADDRESS 2154
#define IDC_STATIC_SEARCH_STATUS 3011
#define IDC_PROGRESS_SEARCH 3012
#define IDC_BTN_OTHER_NETWORKS 3019

// Other networks: the user's own discovery targets, one per line.
#define IDD_OTHER_NETWORKS 3020
#define IDC_OTHER_NETWORKS_TEXT 3021
#define IDC_EDIT_TARGETS 3022
#define IDC_OTHER_NETWORKS_STATUS 3023

// Window icons: one per product family.
#define IDI_FAMILY_0 2015
#define IDI_FAMILY_1 2166

// Every key that the program looks up in the string file. Each variant's string file must hold
// all of them (a unit test checks every file in strings/ against this list).
#pragma once

inline constexpr const char* kStringKeys[] = {
    // Names and the application title.
    "STR_S_UTIL_APPNAME",
    "STR_S_DEVNAME_7240MF",
    "STR_S_DEVNAME_7245MF",
    "STR_S_DEVNAME_TS30",
    "STR_S_DEVNAME_5180MF",
    "STR_S_DEVNAME_OC724X",
    "STR_S_DEVNAME_TX210n",
    "STR_S_DEVNAME_L8350",
    "STR_S_MANUF_NAME_TARN",
    "STR_S_MANUF_NAME_CVL",
    // Messages.
    "STR_ERR_SLNK_DUAL_BOOT",
    "STR_M_IPERR",
    "STR_M_NOT_VERIFIED",
    "STR_M_UNFINISH_NETSETTING",
    "STR_DEVICE_CONNECT",
    "STR_M_SAVE_FAILED",
    "STR_M_REGISTER_FAILED",
    // Connection-type dialog.
    "STR_UI_MAIN",
    "STR_TXT_SEL_CONNECT",
    "STR_RAD_USB",
    "STR_RAD_NETWRK",
    "STR_C_CHK_NONDISP_SEL_CONNECT_DLG",
    "STR_OK",
    "STR_BTN_CANCEL",
    // Scanner address dialog.
    "STR_C_RAD_INPUT_IP",
    "STR_C_RAD_SEL_IP",
    "STR_C_LABEL_PROTOCOL",
    "STR_C_LABEL_IPADDRESS",
    "STR_CMB_PROTOCOL_IPV4",
    "STR_CMB_PROTOCOL_IPV6",
    "STR_S_IPLST_CLMN_DEVNAME",
    "STR_S_IPLST_CLMN_IP",
    "STR_C_BTN_UPDATE_IP",
    "STR_S_SEARCHING",
    "STR_S_FOUND",
    "STR_S_NONE_FOUND",
    "STR_S_MOVED",
    // Layout scale of the two dialogs.
    "STR_RATIO_DLG_SEL_CONNECT",
    "STR_RATIO_DLG_SETIP",
};

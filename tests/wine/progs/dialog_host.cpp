// Shows one dialog template of a resource module with fixed sample content, so that the
// templates and the test driver can be checked without the program's own dialog logic.
//   dialog_host.exe MODULE.dll TEMPLATE-ID
//   dialog_host.exe --resources MODULE.dll...   prints, per module, "MODULE dialogs=3000,3005
//                                              icon2015=16,32,48 icon2166=16,32,48" (what it holds)
// Template 3005 gets two list rows, two protocol items and the family-0 icon; OK shows a message
// box "host<TAB>ok pressed" and then ends the dialog; Cancel ends it. Every notification that the
// dialog receives is printed ("command ID CODE", "itemchanged ROW NEWSTATE"), so a test sees what
// reached it; "icon LOADED SET" tells whether the family-0 icon loaded from the module and was set.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HMODULE g_module;

void Print(const char* format, int a, int b) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

void FillAddressDialog(HWND dlg) {
    HICON icon = (HICON)LoadImageA(g_module, MAKEINTRESOURCEA(2015), IMAGE_ICON, 16, 16, 0);
    SendMessageA(dlg, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    Print("icon %d %d\n", icon != nullptr, SendMessageA(dlg, WM_GETICON, ICON_SMALL, 0) != 0);
    HWND list = GetDlgItem(dlg, 3009);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.cx = 120;
    col.pszText = (char*)"Device name";
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&col);
    col.pszText = (char*)"Address";
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, (LPARAM)&col);
    const char* addresses[] = {"192.0.2.10", "192.0.2.20"};
    for (int i = 0; i < 2; i++) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = (char*)"sample scanner";
        SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
        item.iSubItem = 1;
        item.pszText = (char*)addresses[i];
        SendMessageA(list, LVM_SETITEMTEXTA, i, (LPARAM)&item);
    }
    HWND combo = GetDlgItem(dlg, 2152);
    SendMessageA(combo, CB_SETITEMDATA, SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)"IPv4"), 0);
    SendMessageA(combo, CB_SETITEMDATA, SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)"IPv6"), 1);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    CheckDlgButton(dlg, 3007, BST_CHECKED);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        if (GetDlgItem(dlg, 3009)) FillAddressDialog(dlg);
        return TRUE;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT* m = (MEASUREITEMSTRUCT*)lp;
        m->itemHeight = 16;
        return TRUE;
    }
    case WM_DRAWITEM: {
        DRAWITEMSTRUCT* d = (DRAWITEMSTRUCT*)lp;
        if ((int)d->itemID < 0) return TRUE;
        char text[64] = {};
        SendMessageA(d->hwndItem, CB_GETLBTEXT, d->itemID, (LPARAM)text);
        FillRect(d->hDC, &d->rcItem, GetSysColorBrush((d->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetBkMode(d->hDC, TRANSPARENT);
        DrawTextA(d->hDC, text, -1, &d->rcItem, DT_SINGLELINE | DT_VCENTER);
        return TRUE;
    }
    case WM_NOTIFY: {
        NMHDR* h = (NMHDR*)lp;
        if (h->idFrom == 3009 && h->code == LVN_ITEMCHANGED) Print("itemchanged %d %d\n", ((NMLISTVIEW*)lp)->iItem, (int)((NMLISTVIEW*)lp)->uNewState);
        return FALSE;
    }
    case WM_COMMAND:
        Print("command %d %d\n", LOWORD(wp), HIWORD(wp));
        if (LOWORD(wp) == IDOK) {
            MessageBoxA(dlg, "ok pressed", "host", MB_OK | MB_ICONINFORMATION);
            EndDialog(dlg, IDOK);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
        }
        return TRUE;
    }
    return FALSE;
}

// The sizes (square, in pixels) of the images of one icon group, comma-separated.
std::string IconSizes(HMODULE module, int id) {
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    if (!info) return "none";
    const BYTE* dir = (const BYTE*)LockResource(LoadResource(module, info));
    DWORD size = SizeofResource(module, info);
    if (!dir || size < 6) return "bad";
    int count = dir[4] | (dir[5] << 8);
    std::string sizes;
    for (int i = 0; i < count && 6 + (i + 1) * 14 <= (int)size; i++) {
        int width = dir[6 + i * 14] ? dir[6 + i * 14] : 256;
        if (!sizes.empty()) sizes += ",";
        sizes += std::to_string(width);
    }
    return sizes;
}

int ListResources(int count, char** paths) {
    for (int i = 0; i < count; i++) {
        HMODULE module = LoadLibraryExA(paths[i], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!module) {
            std::printf("%s not-loaded\n", paths[i]);
            continue;
        }
        std::string dialogs;
        for (int id : {3000, 3005}) {
            if (!FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG)) continue;
            if (!dialogs.empty()) dialogs += ",";
            dialogs += std::to_string(id);
        }
        std::printf("%s dialogs=%s icon2015=%s icon2166=%s\n", paths[i], dialogs.c_str(), IconSizes(module, 2015).c_str(),
                    IconSizes(module, 2166).c_str());
        FreeLibrary(module);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--resources") return ListResources(argc - 2, argv + 2);
    if (argc < 3) {
        std::fprintf(stderr, "usage: dialog_host MODULE.dll TEMPLATE-ID\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    g_module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!g_module) {
        std::printf("cannot load %s\n", argv[1]);
        return 2;
    }
    INT_PTR r = DialogBoxParamA(g_module, MAKEINTRESOURCEA(std::atoi(argv[2])), nullptr, DialogProc, 0);
    std::printf("result %d\n", (int)r);
    return 0;
}

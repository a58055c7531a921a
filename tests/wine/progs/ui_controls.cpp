// Hosts the address field and the protocol box in a real dialog, drives them with real messages
// (typed characters, keys, combo operations, a scale factor from a string file) and reads the
// results back from the controls. Prints one "PASS name" or "FAIL name: detail" line per check.
// With an output folder it also saves two pictures of the screen as Wine shows it, combo.bmp (the
// dropped owner-drawn box with its separator) and scaled.bmp (the dialog scaled by the string
// file's ratio). Exit code 0 when every check passed.
//
//   ui_controls.exe STRING-FILE [OUTPUT-FOLDER]
#include <windows.h>
#include <commctrl.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/string_table.h"
#include "platform/windowing.h"
#include "ui/layout_scaling.h"
#include "ui/my_combo_box.h"
#include "ui/my_edit.h"

namespace {

constexpr int kTemplate = 100;
constexpr int kCombo = 2152;
constexpr int kEdit = 3008;
constexpr int kSearch = 3010;
constexpr int kList = 3009;
constexpr UINT kStep = WM_APP + 1;
constexpr UINT kStepAfterPosted = WM_APP + 2;

int g_failures = 0;
std::string g_outputFolder;

void Check(const char* name, bool ok, const std::string& detail = "")
{
    if (ok) std::printf("PASS %s\n", name);
    else std::printf("FAIL %s: %s\n", name, detail.c_str());
    std::fflush(stdout);
    if (!ok) ++g_failures;
}

std::string Text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Saves the screen area as a 24-bit BMP file. The picture is read through Wine's own screen device
// context, which also shows pop-up windows (the dropped list) that an X screenshot of a session
// without a window manager leaves black.
bool SaveScreenArea(const RECT& area, const std::string& path)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD imageSize = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageSize;
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 std::fwrite(bits, imageSize, 1, out) == 1;
            ok = std::fclose(out) == 0 && ok;
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

struct Placement {
    int x, y, width, height;
};

// A window's rectangle in the client coordinates of its parent.
Placement PlacementOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    POINT p{r.left, r.top};
    ScreenToClient(GetParent(window), &p);
    return Placement{p.x, p.y, r.right - r.left, r.bottom - r.top};
}

std::string Describe(const Placement& p)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%d, %d) %d x %d", p.x, p.y, p.width, p.height);
    return text;
}

class ControlsDialog : public Windowing::CDialog {
public:
    explicit ControlsDialog(bool scaledRun) : CDialog(kTemplate), scaledRun_(scaledRun)
    {
        OnMessage(kStep, [this](uintptr_t step, intptr_t) {
            Step(static_cast<int>(step));
            return 0;
        });
        // A step runs after every message that the previous step's posted messages post in turn.
        OnMessage(kStepAfterPosted, [this](uintptr_t step, intptr_t) {
            PostMessageA(Hwnd(), kStep, step, 0);
            return 0;
        });
        OnMessage(kComboItemDrawnMessage, [this](uintptr_t wParam, intptr_t lParam) {
            const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (wParam == 0 && draw && draw->CtlType == ODT_COMBOBOX) ++itemsDrawn_;
            return 0;
        });
        // Before a picture is saved the dialog runs normally for half a second, so that everything
        // is painted.
        OnMessage(WM_TIMER, [this](uintptr_t, intptr_t) {
            if (++shotTicks_ < 5) return 0;
            KillTimer(Hwnd(), 1);
            RECT area;
            GetWindowRect(Hwnd(), &area);
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            RECT list;
            if (GetComboBoxInfo(Item(kCombo), &info) && IsWindowVisible(info.hwndList) &&
                GetWindowRect(info.hwndList, &list))
                UnionRect(&area, &area, &list);
            const std::string path = g_outputFolder + "\\" + shot_ + ".bmp";
            Check(shot_ == "combo" ? "picture of the dropped box saved" : "picture of the scaled dialog saved",
                  SaveScreenArea(area, path), path);
            Next(afterShot_);
            return 0;
        });
        OnNotification(kList, Windowing::kLvnItemChanged, [this](const Windowing::Notification& n) {
            listChanges_ += std::to_string(n.item) + " ";
        });
        OnNotification(kCombo, Windowing::kCbnSelEndOk, [this](const Windowing::Notification&) { ++selEndOkSeen_; });
    }

    bool OnInitDialog() override
    {
        HWND dialog = Hwnd();
        Check("controls subclassed", edit_.SubclassDlgItem(kEdit, dialog) && combo_.SubclassDlgItem(kCombo, dialog));
        edit_.ipv4Filter = 1;

        HWND list = GetDlgItem(dialog, kList);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        Windowing::ListInsertColumn(list, 0, "Device name", 140, LVCFMT_LEFT);
        Windowing::ListInsertColumn(list, 1, "IP address", 120, LVCFMT_LEFT);
        Windowing::ListInsertRow(list, 0, "Scanner");
        Windowing::ListSetSubItem(list, 0, 1, "192.168.0.10");

        RECT outerBefore;
        GetWindowRect(dialog, &outerBefore);
        Placement editBefore = PlacementOf(GetDlgItem(dialog, kEdit));
        ScaleDialogLayout(dialog, kRatioKeySetIp);
        if (scaledRun_) CheckScaling(outerBefore, editBefore);

        StageProtocols();
        combo_.SelectByData(0);
        PostMessageA(dialog, kStep, 1, 0);
        return true;
    }

    void OnOK() override
    {
        confirmed_ = true;
        CDialog::OnOK();
    }

private:
    HWND Hwnd() const { return static_cast<HWND>(Handle()); }
    HWND Item(int id) const { return GetDlgItem(Hwnd(), id); }
    // Saves a picture of the dialog (and its dropped list) as <output folder>\<name>.bmp after half
    // a second; step runs after that (at once without an output folder).
    void ScreenshotThen(const char* name, int step)
    {
        if (g_outputFolder.empty()) return Next(step);
        shot_ = name;
        afterShot_ = step;
        shotTicks_ = 0;
        SetTimer(Hwnd(), 1, 100, nullptr);
    }
    void Next(int step) { PostMessageA(Hwnd(), kStepAfterPosted, static_cast<WPARAM>(step), 0); }
    void Type(const char* text)
    {
        for (const char* p = text; *p; ++p) PostMessageA(Item(kEdit), WM_CHAR, static_cast<BYTE>(*p), 1);
    }
    void Key(int id, WPARAM vk)
    {
        PostMessageA(Item(id), WM_KEYDOWN, vk, 1);
    }
    int Selection() { return static_cast<int>(SendMessageA(Item(kCombo), CB_GETCURSEL, 0, 0)); }
    void StageProtocols()
    {
        CMyComboBox::StageItem(0, "IPv4", 0);
        CMyComboBox::StageItem(1, "", -1);
        CMyComboBox::StageItem(1, "IPv6", 1);
        combo_.CommitItems();
    }

    void CheckScaling(const RECT& outerBefore, const Placement& editBefore)
    {
        char ratio[64] = {};
        StringTable::Get(kRatioKeySetIp, ratio, sizeof ratio);
        const double r = LayoutFactorOf(ratio);
        Check("ratio from the string file is 1.5", r == 1.5, ratio);
        RECT outer;
        GetWindowRect(Hwnd(), &outer);
        const int w = outerBefore.right - outerBefore.left, h = outerBefore.bottom - outerBefore.top;
        char detail[160];
        std::snprintf(detail, sizeof detail, "%d x %d at (%ld, %ld) -> %ld x %ld at (%ld, %ld)", w, h,
                      outerBefore.left, outerBefore.top, outer.right - outer.left, outer.bottom - outer.top,
                      outer.left, outer.top);
        Check("dialog outer size scaled, top-left kept",
              outer.left == outerBefore.left && outer.top == outerBefore.top &&
                  outer.right - outer.left == static_cast<int>(std::trunc(w * r)) &&
                  outer.bottom - outer.top == static_cast<int>(std::trunc(h * r)),
              detail);
        Placement e = PlacementOf(Item(kEdit));
        Check("edit position and size scaled and truncated",
              e.x == static_cast<int>(std::trunc(editBefore.x * r)) && e.y == static_cast<int>(std::trunc(editBefore.y * r)) &&
                  e.width == static_cast<int>(std::trunc(editBefore.width * r)) &&
                  e.height == static_cast<int>(std::trunc(editBefore.height * r)),
              Describe(editBefore) + " -> " + Describe(e));
        HWND header = ListView_GetHeader(Item(kList));
        Placement hp = PlacementOf(header);
        Check("list header stays at the list's client origin", header && hp.x == 0 && hp.y == 0, Describe(hp));
    }

    void Step(int step)
    {
        HWND edit = Item(kEdit), combo = Item(kCombo);
        switch (step) {
        case 1:
            if (scaledRun_) return ScreenshotThen("scaled", 20);

            CheckListNotifications();
            SetFocus(edit);
            Type("192.168.0.10ab:- ");
            return Next(2);
        case 2:
            Check("IPv4 filter keeps the address only", Text(edit) == "192.168.0.10", Text(edit));
            Type("\b");
            return Next(3);
        case 3:
            Check("Backspace deletes", Text(edit) == "192.168.0.1", Text(edit));
            edit_.ipv4Filter = 0;
            edit_.ipv6Filter = 1;
            Check("changing the filter keeps the text", Text(edit) == "192.168.0.1", Text(edit));
            SetWindowTextA(edit, "");
            Type("FE80::1g.%");
            Type("\x01\x18\x1a");  // Ctrl+A, Ctrl+X, Ctrl+Z
            return Next(4);
        case 4:
            Check("IPv6 filter keeps capitals, drops g . % and Ctrl+A/X/Z", Text(edit) == "FE80::1", Text(edit));
            if (GetACP() == 932) Type("\x82\xA0" "2");  // HIRAGANA LETTER A in code page 932, then 2
            return Next(5);
        case 5:
            if (GetACP() == 932) {
                Check("double-byte character dropped whole", Text(edit) == "FE80::12" && edit_.leadBytePending == 0,
                      Text(edit));
            } else {
                std::printf("NOTE double-byte check needs code page 932, this is %u\n", GetACP());
            }
            Check("edit asks for all keys", (SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS) != 0);
            SetFocus(edit);
            Key(kEdit, VK_TAB);
            return Next(6);
        case 6: {
            char name[64] = {};
            GetClassNameA(GetFocus(), name, sizeof name);
            Check("Tab moves the focus to the next control", GetFocus() == Item(kSearch), name);
            SetFocus(edit);
            keybd_event(VK_SHIFT, 0, 0, 0);
            return Next(7);
        }
        case 7:
            std::printf("NOTE Shift state seen by the program: %s\n",
                        (GetAsyncKeyState(VK_SHIFT) & 0x8000) ? "held" : "up");
            Key(kEdit, VK_TAB);
            return Next(8);
        case 8:
            keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
            Check("Shift+Tab moves the focus to the previous control", GetFocus() == combo);
            SetFocus(combo);
            SendMessageA(combo, CB_SETCURSEL, 0, 0);
            Key(kCombo, VK_DOWN);
            return Next(9);
        case 9:
            Check("Down arrow steps over the separator", Selection() == 2, std::to_string(Selection()));
            Key(kCombo, VK_UP);
            return Next(10);
        case 10:
            Check("Up arrow steps over the separator", Selection() == 0, std::to_string(Selection()));
            CheckSelectionAndItems();
            itemsDrawn_ = 0;
            SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
            return Next(11);
        case 11:
            CheckDrawing();
            return ScreenshotThen("combo", 12);
        case 12:
            SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
            SetFocus(edit);
            Key(kEdit, VK_RETURN);
            return Next(99);
        case 20:
            SetFocus(edit);
            Key(kEdit, VK_ESCAPE);
            return Next(99);
        default:
            Check("Enter or Escape in the field ends the dialog", false, "the dialog is still open");
            EndDialog(IDABORT);
        }
    }

    // LVN_ITEMCHANGED as the headless layer models it: the rows that lose the selection and the
    // focus first, each loss on its own, then the row itself; none for inserting rows, one for
    // each selected row when all rows are deleted.
    void CheckListNotifications()
    {
        HWND list = Item(kList);
        using namespace Windowing;
        ListDeleteAllRows(list);
        for (int i = 0; i < 3; ++i) ListInsertRow(list, i, "Scanner");
        std::string inserted = listChanges_;
        listChanges_.clear();
        ListSetItemState(list, 0, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
        std::string first = listChanges_;
        listChanges_.clear();
        ListSetItemState(list, 2, kLvisSelected | kLvisFocused, kLvisSelected | kLvisFocused);
        std::string second = listChanges_;
        listChanges_.clear();
        ListSetItemState(list, -1, 0, kLvisSelected);
        std::string cleared = listChanges_;
        listChanges_.clear();
        ListSetItemState(list, 1, kLvisSelected, kLvisSelected);
        ListDeleteAllRows(list);
        std::string deleted = listChanges_;
        listChanges_.clear();
        std::string all = "insert [" + inserted + "] select 0 [" + first + "] select 2 [" + second + "] clear [" +
                          cleared + "] delete [" + deleted + "]";
        std::printf("NOTE list notifications: %s\n", all.c_str());
        Check("list view notifications follow the headless model",
              inserted.empty() && first == "0 " && second == "0 0 2 " && cleared == "2 " && deleted == "1 ", all);
        ListInsertRow(list, 0, "Scanner");
        ListSetSubItem(list, 0, 1, "192.168.0.10");
    }

    void CheckSelectionAndItems()
    {
        HWND combo = Item(kCombo);
        combo_.SelectByData(1);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(kCombo, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
        Check("CBN_SELENDOK with nothing selected restores lastSelection", Selection() == 2 && combo_.lastSelection == 2,
              std::to_string(Selection()));
        Check("CBN_SELENDOK is kept from the dialog", selEndOkSeen_ == 0);
        combo_.SelectByData(42);
        Check("SelectByData without a match selects item 0", Selection() == 0 && combo_.lastSelection == 0);

        StageProtocols();
        combo_.SelectByData(1);
        StageProtocols();
        Check("committing the same items keeps the selection", Selection() == 2 &&
              SendMessageA(combo, CB_GETCOUNT, 0, 0) == 3);
        CMyComboBox::StageItem(0, "IPv4", 0);
        CMyComboBox::StageItem(1, "", -1);
        CMyComboBox::StageItem(1, "IPv6", 7);
        combo_.CommitItems();
        Check("committing changed data rebuilds the box", Selection() == -1 &&
              SendMessageA(combo, CB_GETITEMDATA, 2, 0) == 7);

        const char* wide = "IPv6 (link-local multicast on every network adapter)";
        CMyComboBox::StageItem(0, "IPv4", 0);
        CMyComboBox::StageItem(1, "", -1);
        CMyComboBox::StageItem(1, wide, 1);
        combo_.CommitItems();
        HDC dc = GetDC(combo);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(combo, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, wide, static_cast<int>(std::strlen(wide)), &size);
        SelectObject(dc, old);
        ReleaseDC(combo, dc);
        RECT r;
        GetWindowRect(combo, &r);
        int expected = size.cx + GetSystemMetrics(SM_CXVSCROLL) + 8;
        if (expected < r.right - r.left) expected = r.right - r.left;
        int dropped = static_cast<int>(SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0));
        Check("dropped width fits the widest text", dropped == expected && expected > r.right - r.left,
              std::to_string(dropped) + " expected " + std::to_string(expected));
        StageProtocols();
        combo_.SelectByData(0);
        Check("a rebuilt box's dropped width is never narrower than the box",
              SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0) >= r.right - r.left);
    }

    void CheckDrawing()
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(Item(kCombo), &info);
        HWND list = info.hwndList;
        UpdateWindow(list);
        Check("each drawn item with text tells the parent (WM_USER + 102)", itemsDrawn_ >= 2,
              std::to_string(itemsDrawn_));
        const int itemHeight = static_cast<int>(SendMessageA(Item(kCombo), CB_GETITEMHEIGHT, 0, 0));
        HDC dc = GetDC(list);
        COLORREF line = GetPixel(dc, 10, itemHeight + itemHeight / 2);
        COLORREF above = GetPixel(dc, 10, itemHeight + 1);
        // The line runs from x = left + 1 to right - 2, the end point excluded.
        RECT client;
        GetClientRect(list, &client);
        const int middle = itemHeight + itemHeight / 2;
        COLORREF left = GetPixel(dc, 0, middle), first = GetPixel(dc, 1, middle);
        COLORREF last = GetPixel(dc, client.right - 3, middle), right = GetPixel(dc, client.right - 2, middle);
        ReleaseDC(list, dc);
        const COLORREF gray = GetSysColor(COLOR_GRAYTEXT), window = GetSysColor(COLOR_WINDOW);
        char detail[160];
        std::snprintf(detail, sizeof detail, "item height %d, line %06lx above %06lx ends %06lx %06lx | %06lx %06lx",
                      itemHeight, line, above, left, first, last, right);
        Check("separator is a gray line in the middle of its item",
              line == gray && above == window && left == window && first == gray && last == gray && right == window,
              detail);
        std::printf("NOTE %s\n", detail);
    }

    bool scaledRun_;
    CMyEdit edit_;
    CMyComboBox combo_;
    int itemsDrawn_ = 0;
    int selEndOkSeen_ = 0;
    std::string listChanges_;
    std::string shot_;
    int afterShot_ = 0;
    int shotTicks_ = 0;

public:
    bool confirmed_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    // Characters are judged in the ANSI code page, as the program does.
    std::setlocale(LC_CTYPE, "");
    std::printf("NOTE ANSI code page %u\n", GetACP());
    if (argc < 2 || StringTable::Load(argv[1]) != 0) {
        std::printf("FAIL string file: cannot load %s\n", argc < 2 ? "(none given)" : argv[1]);
        return 1;
    }
    if (argc >= 3) g_outputFolder = argv[2];
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    ControlsDialog controlsRun(false);
    int result = controlsRun.DoModal();
    Check("Enter in the field confirms the dialog (IDOK)", result == IDOK && controlsRun.confirmed_,
          std::to_string(result));

    ControlsDialog scaledRun(true);
    result = scaledRun.DoModal();
    Check("Escape in the field cancels the dialog (IDCANCEL)", result == IDCANCEL, std::to_string(result));

    std::printf("DONE %d failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}

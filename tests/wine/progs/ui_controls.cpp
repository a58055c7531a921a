// Hosts the address field and the protocol box in a real dialog and drives them with real
// messages: an arrow key over the separator, the dropped owner-drawn list (its separator read back
// as pixels), the layout scaled by the string file's ratio, Enter in the field, a quit message
// ending a dialog through its Cancel handler. Prints "PASS name"
// or "FAIL name: detail" per check; saves combo.bmp and scaled.bmp through Wine's own screen
// device context, which also shows the dropped list (an X screenshot leaves it black).
//   ui_controls.exe STRING-FILE OUTPUT-FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "product/string_table.h"
#include "platform/windowing.h"
#include "ui/layout_scaling.h"
#include "ui/my_combo_box.h"
#include "ui/my_edit.h"

namespace {

constexpr int kCombo = 2152, kEdit = 3008;
int g_failures = 0;
std::string g_folder;

void Check(const char* name, bool ok, const std::string& detail = "")
{
    std::printf(ok ? "PASS %s\n" : "FAIL %s: %s\n", name, detail.c_str());
    std::fflush(stdout);
    g_failures += !ok;
}

// Saves a screen area as a 24-bit bottom-up BMP file.
bool SaveScreenArea(const RECT& a, const std::string& path)
{
    const int w = a.right - a.left, h = a.bottom - a.top;
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, a.left, a.top, SRCCOPY);
    GdiFlush();
    const DWORD size = ((w * 3 + 3) & ~3) * h;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof info + size), 0, 0,
                          sizeof file + sizeof info};
    FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out && bits && std::fwrite(&file, sizeof file, 1, out) && std::fwrite(&info, sizeof info, 1, out) &&
              std::fwrite(bits, size, 1, out);
    if (out) ok = std::fclose(out) == 0 && ok;
    SelectObject(memory, old), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    return ok;
}

// "x,y wxh" of the dialog and the edit (in the dialog), every number but x,y times factor, truncated.
std::string Layout(HWND dialog, double factor)
{
    RECT d, e;
    GetWindowRect(dialog, &d);
    GetWindowRect(GetDlgItem(dialog, kEdit), &e);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&e), 2);
    auto f = [factor](long v) { return static_cast<long>(v * factor); };
    char text[96];
    std::snprintf(text, sizeof text, "%ld,%ld %ldx%ld | %ld,%ld %ldx%ld", d.left, d.top, f(d.right - d.left),
                  f(d.bottom - d.top), f(e.left), f(e.top), f(e.right - e.left), f(e.bottom - e.top));
    return text;
}

// Each step runs from a timer half a second after the previous one: its messages are handled and
// the dialog is painted.
class ControlsDialog : public Windowing::CDialog {
public:
    ControlsDialog() : CDialog(100)
    {
        OnMessage(WM_TIMER, [this](uintptr_t step, intptr_t) { return KillTimer(Hwnd(), step), Step(step), 0; });
    }
    bool OnInitDialog() override
    {
        Check("controls subclassed",
              edit_.SubclassDlgItem(kEdit, Handle()) && combo_.SubclassDlgItem(kCombo, Handle()));
        CMyComboBox::StageItem(0, "IPv4", 0);
        CMyComboBox::StageItem(1, "", -1);
        CMyComboBox::StageItem(1, "IPv6", 1);
        combo_.CommitItems();
        combo_.SelectByData(0);
        Next(1);
        return true;
    }

private:
    HWND Hwnd() const { return static_cast<HWND>(Handle()); }
    void Next(int step) { SetTimer(Hwnd(), step, 500, nullptr); }
    void Key(int id, WPARAM vk, int next)
    {
        SetFocus(GetDlgItem(Hwnd(), id));
        PostMessageA(GetDlgItem(Hwnd(), id), WM_KEYDOWN, vk, 1);
        Next(next);
    }
    void Step(uintptr_t step)
    {
        HWND combo = GetDlgItem(Hwnd(), kCombo);
        COMBOBOXINFO info{sizeof info, {}, {}, 0, nullptr, nullptr, nullptr};
        GetComboBoxInfo(combo, &info);
        RECT area, list;
        GetWindowRect(Hwnd(), &area);
        if (step == 1) return Key(kCombo, VK_DOWN, 2);
        if (step == 2) {
            const LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
            Check("Down arrow steps over the separator", selection == 2, std::to_string(selection));
            SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
            Next(3);
        } else if (step == 3) {
            const int height = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0)), mid = height + height / 2;
            RECT client;
            GetClientRect(info.hwndList, &client);
            HDC dc = GetDC(info.hwndList);
            // The separator line runs from x = 1 to right - 2 in the middle of its item: g gray, w window.
            std::string seen;
            for (POINT p : {POINT{10, mid},
                            {10, height + 1},
                            {0, mid},
                            {1, mid},
                            {client.right - 3, mid},
                            {client.right - 2, mid}}) {
                const COLORREF c = GetPixel(dc, p.x, p.y);
                seen += c == GetSysColor(COLOR_GRAYTEXT) ? 'g' : c == GetSysColor(COLOR_WINDOW) ? 'w' : '?';
            }
            ReleaseDC(info.hwndList, dc);
            Check("separator is a gray line in the middle of its item", seen == "gwwggw", seen);
            GetWindowRect(info.hwndList, &list);
            UnionRect(&area, &area, &list);
            Check("combo.bmp saved", SaveScreenArea(area, g_folder + "\\combo.bmp"));
            SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
            const std::string expected = Layout(Hwnd(), 1.5);
            ScaleDialogLayout(Handle(), kRatioKeySetIp);
            Check("dialog and edit scaled by 1.5 from the string file", Layout(Hwnd(), 1) == expected,
                  Layout(Hwnd(), 1));
            Next(4);
        } else if (step == 4) {
            Check("scaled.bmp saved", SaveScreenArea(area, g_folder + "\\scaled.bmp"));
            Key(kEdit, VK_RETURN, 99);
        } else {
            EndDialog(IDABORT);  // Enter did not end the dialog
        }
    }
    CMyEdit edit_;
    CMyComboBox combo_;
};

// A dialog whose loop receives WM_QUIT at once: it must end through its Cancel handler (which
// the address dialog uses to record the cancel) and hand the quit message on.
class QuitDialog : public Windowing::CDialog {
public:
    QuitDialog() : CDialog(100) {}
    bool OnInitDialog() override
    {
        PostQuitMessage(7);
        return true;
    }
    void OnCancel() override
    {
        ++cancels;
        CDialog::OnCancel();
    }
    int cancels = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || StringTable::Load(argv[1]) != 0) return std::printf("FAIL usage: STRING-FILE OUTPUT-FOLDER\n"), 1;
    g_folder = argv[2];
    ControlsDialog dialog;
    const int result = dialog.DoModal();
    Check("Enter in the field confirms the dialog", result == IDOK, std::to_string(result));
    QuitDialog quitting;
    const int quitResult = quitting.DoModal();
    Check("a quit message ends the dialog through its Cancel handler", quitResult == IDCANCEL && quitting.cancels == 1,
          std::to_string(quitResult) + " after " + std::to_string(quitting.cancels) + " Cancel handler calls");
    MSG quit{};
    Check("the quit message is handed on",
          PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.message == WM_QUIT && quit.wParam == 7);
    std::printf("DONE %d failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}

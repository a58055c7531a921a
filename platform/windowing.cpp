// The portable half of the windowing layer: the dialog's handler table and the default hooks of
// dialogs and subclassed controls.
#include "platform/windowing.h"

#include <utility>

namespace Windowing {

CDialog::CDialog(int templateId) : templateId_(templateId)
{
}

CDialog::~CDialog() = default;

bool CDialog::OnInitDialog()
{
    return true;
}

void CDialog::OnOK()
{
    EndDialog(kIdOk);
}

void CDialog::OnCancel()
{
    EndDialog(kIdCancel);
}

void CDialog::EndDialog(int result)
{
    ended_ = true;
    result_ = result;
}

void CDialog::OnNotification(int controlId, int code, Handler handler)
{
    for (Entry& entry : entries_) {
        if (entry.controlId == controlId && entry.code == code) {
            entry.handler = std::move(handler);
            return;
        }
    }
    entries_.push_back(Entry{controlId, code, std::move(handler)});
}

void CDialog::OnMessage(unsigned message, std::function<intptr_t(uintptr_t, intptr_t)> handler)
{
    for (MessageEntry& entry : messages_) {
        if (entry.message == message) {
            entry.handler = std::move(handler);
            return;
        }
    }
    messages_.push_back(MessageEntry{message, std::move(handler)});
}

bool CDialog::Dispatch(const Notification& notification)
{
    for (const Entry& entry : entries_) {
        if (entry.controlId == notification.controlId && entry.code == notification.code) {
            // A copy: the handler may replace its own entry while it runs.
            Handler handler = entry.handler;
            handler(notification);
            return true;
        }
    }
    if (notification.code == kBnClicked && notification.controlId == kIdOk) {
        OnOK();
        return true;
    }
    if (notification.code == kBnClicked && notification.controlId == kIdCancel) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::RouteMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t* result)
{
    for (const MessageEntry& entry : messages_) {
        if (entry.message == message) {
            auto handler = entry.handler;
            intptr_t value = handler(wParam, lParam);
            if (result) *result = value;
            return true;
        }
    }
    return false;
}

intptr_t CWnd::WindowProc(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return Default(message, wParam, lParam);
}

bool CWnd::PreTranslateMessage(unsigned, uintptr_t, intptr_t)
{
    return false;
}

bool CWnd::OnReflectedCommand(int)
{
    return false;
}

void CWnd::DrawItem(const DrawItemRecord&)
{
}

}  // namespace Windowing

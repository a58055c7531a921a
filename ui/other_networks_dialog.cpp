// The other-networks dialog: the user's discovery targets, read line by line, checked and stored.
#include "ui/other_networks_dialog.h"

#include <algorithm>
#include <iterator>

#include "discovery/discovery_targets.h"
#include "platform/diagnostics.h"
#include "product/product.h"
#include "product/string_table.h"
#include "setup/settings_model.h"
#include "ui/dialog_texts.h"
#include "ui/layout_scaling.h"

using namespace Windowing;
using namespace OtherNetworksIds;

namespace {

// The control-text table, in the order the texts are set; ID 0 is the dialog's caption.
constexpr ControlText kTexts[] = {
    {0, Key::STR_UI_OTHER_NETWORKS},
    {kExplanation, Key::STR_C_OTHER_NETWORKS_TEXT},
    {kIdOk, Key::STR_OK},
    {kIdCancel, Key::STR_BTN_CANCEL},
};

// The text that says why an entry does not parse.
StringKey ReasonKey(TargetParseStatus status)
{
    switch (status) {
    case kTargetBadBlock:
        return Key::STR_S_TARGET_BAD_BLOCK;
    case kTargetBadRange:
        return Key::STR_S_TARGET_BAD_RANGE;
    case kTargetBadName:
        return Key::STR_S_TARGET_BAD_NAME;
    case kTargetNameTooLong:
        return Key::STR_S_TARGET_NAME_TOO_LONG;
    default:
        return Key::STR_S_TARGET_BAD_ADDRESS;
    }
}

// The field's lines (a line break is CR LF in the real control; a lone LF counts as one too).
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

std::string FieldText(WindowHandle edit)
{
    std::string text(static_cast<size_t>(std::max(TextLength(edit), 0)) + 1, '\0');
    text.resize(static_cast<size_t>(std::max(GetText(edit, text.data(), static_cast<int>(text.size())), 0)));
    return text;
}

}  // namespace

COtherNetworksDlg::COtherNetworksDlg() : CDialog(kTemplate)
{
}

bool COtherNetworksDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetControlTexts(Handle(), kTexts, std::size(kTexts));
    ScaleDialogLayout(Handle(), kRatioKeyOtherNetworks);
    // The entries that apply now: the user's, else the machine defaults (the built-in is none).
    shown_ = SettingsModel::ReadForCurrentProduct().Texts(SettingId::DiscoveryTargets);
    std::string text;
    for (const std::string& entry : shown_) text += (text.empty() ? "" : "\r\n") + entry;
    SetText(ItemOf(Handle(), kTargetsEdit), text.c_str());
    return true;
}

void COtherNetworksDlg::OnOK()
{
    const std::vector<std::string> lines = Lines(FieldText(ItemOf(Handle(), kTargetsEdit)));
    std::vector<std::string> entries;
    uint64_t counted[2] = {0, 0};  // IPv4, IPv6: each family's search has its own limit
    for (size_t i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i) + 1;
        TargetEntry entry;
        const TargetParseStatus status = ParseTargetEntry(lines[i], &entry);
        if (status == kTargetEmpty) continue;
        if (status != kTargetOk) {
            Diagnostics::Event("targets.refused",
                               {{"line", std::to_string(line)}, {"reason", TargetParseReason(status)}});
            return ShowRefusedLine(line, StringTable::Text(ReasonKey(status)));
        }
        uint64_t& count = counted[entry.kind != TargetKind::HostName && entry.first.family == kUdpIPv6 ? 1 : 0];
        count += entry.count;
        if (count > kMaxTargetAddresses) {
            Diagnostics::Event("targets.refused",
                               {{"line", std::to_string(line)},
                                {"reason", "more than " + std::to_string(kMaxTargetAddresses) + " addresses"}});
            return ShowRefusedLine(line, StringTable::Text(Key::STR_S_TARGET_TOO_MANY));
        }
        entries.push_back(entry.text);
    }
    SetItemText(Handle(), kStatus, "");  // the last refused line is no longer the news
    if (entries != shown_) {
        const SettingsModel settings = SettingsModel::ReadForCurrentProduct();
        const SettingScope scope = Settings::UserScopeOf(settings, SettingId::DiscoveryTargets);
        const char* product = Products::Current().code;
        SettingValue value;
        value.texts = entries;
        const SettingWriteStatus written =
            entries.empty() ? Settings::RemoveUserSetting(product, scope, SettingId::DiscoveryTargets)
                            : Settings::WriteUserSetting(product, scope, SettingId::DiscoveryTargets, value);
        if (written != kSettingWritten) {
            const StringKey key =
                written == kSettingSetByPolicy ? Key::STR_M_TARGETS_POLICY : Key::STR_M_TARGETS_SAVE_FAILED;
            ShowMessageBox(Handle(), StringTable::Text(key).c_str(), Titles::App().c_str(), kMbIconError | kMbTopmost);
            return;
        }
    }
    Diagnostics::Event("targets.saved",
                       {{"count", std::to_string(entries.size())}, {"changed", entries != shown_ ? "1" : "0"}});
    CDialog::OnOK();
}

void COtherNetworksDlg::ShowRefusedLine(int line, const std::string& reason)
{
    // "%1" is the line's number and "%2" the reason, replaced as text (never a format).
    std::string text = StringTable::Text(Key::STR_S_TARGET_LINE);
    const size_t number = text.find("%1");
    if (number != std::string::npos) text.replace(number, 2, std::to_string(line));
    const size_t why = text.find("%2");
    if (why != std::string::npos) text.replace(why, 2, reason);
    SetItemText(Handle(), kStatus, text.c_str());
    WindowHandle edit = ItemOf(Handle(), kTargetsEdit);
    EditSelectLine(edit, line - 1);
    SetFocusTo(edit);
}

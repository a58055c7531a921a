// The application object: reads the command line, decides the variant, loads the resource module
// and string file, builds the titles, guards against a second instance and hands over to the
// dialog flow.
#include "app/scanlink_app.h"

#include <cstring>

#include "app/commit_flow.h"
#include "app/handoff.h"
#include "product/string_table.h"
#include "platform/bounded_text.h"
#include "platform/framework_init.h"
#include "platform/message_box.h"
#include "platform/mutex.h"
#include "platform/resource_module.h"
#include "platform/system.h"
#include "setup/address_validation.h"

namespace {

CQuilScanLinkApp* g_active = nullptr;

constexpr char kMissingFileText[] = "The necessary file could be missing or damaged.";
constexpr char kModuleFailedText[] = "Failed to load resource module.";
constexpr char kSocketsFailedText[] = "Windows Sockets could not be started.";

// The command line is scanned for "ip:" in a copy of this size.
constexpr size_t kCommandLineCopy = 256;

bool Contains(const char* text, const char* token)
{
    return std::strstr(text, token) != nullptr;
}

}  // namespace

CQuilScanLinkApp::CQuilScanLinkApp() : previous_(g_active)
{
    g_active = this;
}

CQuilScanLinkApp::~CQuilScanLinkApp()
{
    if (m_hGlobalMutex != nullptr) {
        Platform::ReleaseAndCloseMutex(m_hGlobalMutex);
        m_hGlobalMutex = nullptr;
    }
    if (m_hLocalMutex != nullptr) {
        Platform::ReleaseAndCloseMutex(m_hLocalMutex);
        m_hLocalMutex = nullptr;
    }
    if (g_active == this) g_active = previous_;
}

CQuilScanLinkApp& TheApp()
{
    if (g_active != nullptr) return *g_active;
    static CQuilScanLinkApp app;
    return app;
}

void ExtractGivenAddress(const char* commandLine, char* address, size_t size)
{
    if (address == nullptr || size == 0) return;
    address[0] = '\0';
    if (commandLine == nullptr) return;
    char copy[kCommandLineCopy];
    BoundedCopy(copy, sizeof(copy), commandLine);
    size_t used = 0;
    bool copying = false;
    for (size_t i = 0; copy[i] != '\0'; ++i) {
        char c = copy[i];
        if (!copying) {
            if (c == ':' && i >= 2 && copy[i - 2] == 'i' && copy[i - 1] == 'p') copying = true;
            continue;
        }
        if (c == '/' || c == ':') break;
        if (used + 1 < size) address[used++] = c;
    }
    address[used] = '\0';
}

void CQuilScanLinkApp::ParseCommandLine(const char* commandLine)
{
    const char* text = commandLine != nullptr ? commandLine : "";
    m_nLaunchMode = Standalone;
    if (Contains(text, "/NoPortSelect")) m_nLaunchMode = AskPort;
    if (Contains(text, "/usb")) m_nLaunchMode = UsbPort;
    if (Contains(text, "/network")) m_nLaunchMode = NetworkPort;
    if (Contains(text, "L835_MFP") && Contains(text, "ip:")) {
        ExtractGivenAddress(text, m_szGivenAddress, sizeof(m_szGivenAddress));
        m_nLaunchMode = ValidateAddress(m_szGivenAddress, sizeof(m_szGivenAddress), kProtocolIPv4) == kAddressValid
                            ? GivenAddress
                            : AskPort;
    }
    m_bQuiet = Contains(text, "/quiet") ? 1 : 0;
    m_bMaintenance = Contains(text, "/mentenance") ? 1 : 0;
    ParseCommandLineModes(text, m_commandLineModes);
    if (m_commandLineModes.mode != kNoCommandLineMode) m_nLaunchMode = Standalone;
}

// Takes one single-instance mutex: fails when it exists already (found by the open or by the
// creation) or cannot be made.
int CQuilScanLinkApp::TakeMutex(int nameItem, void** handle)
{
    char name[128] = {};
    VariantTable::Get(nameItem, name, sizeof(name));
    if (void* existing = Platform::OpenNamedMutex(name)) {
        Platform::ReleaseAndCloseMutex(existing);
        return kStartAlreadyRunning;
    }
    // Another instance that started at the same moment may have made it since the open: the
    // creation then answers with the existing mutex, which counts as found.
    bool alreadyExisted = false;
    void* created = Platform::CreateOpenToAllMutex(name, &alreadyExisted);
    if (created == nullptr) return kStartAlreadyRunning;
    if (alreadyExisted) {
        Platform::ReleaseAndCloseMutex(created);
        return kStartAlreadyRunning;
    }
    *handle = created;
    return kStartContinue;
}

int CQuilScanLinkApp::StartUp(const char* commandLine)
{
    // The command line decides the launch mode, and with it where the variant comes from.
    char moduleFile[32] = {};
    char stringFile[32] = {};
    ParseCommandLine(commandLine);
    VariantId variant = DetectVariant(m_nLaunchMode, commandLine);
    // A command-line mode takes the product from a token on the command line, else from the
    // executable's name.
    if (m_commandLineModes.mode != kNoCommandLineMode) {
        variant = DetectVariant(AskPort, commandLine);
        if (variant == kNoVariant) variant = DetectVariant(Standalone, commandLine);
    }
    VariantTable::SetCurrent(variant);

    // The resource module and the string file are looked for in the system folder for a standalone
    // start, else in the product's install folder.
    VariantTable::Get(kResourceModuleFile, moduleFile, sizeof(moduleFile));
    VariantTable::Get(kStringFileName, stringFile, sizeof(stringFile));
    char folder[260] = {};
    if (m_nLaunchMode == Standalone)
        Platform::GetSystemDirectoryPath(folder, sizeof(folder));
    else
        VariantTable::Get(kInstallFolder, folder, sizeof(folder));

    // The resource module. An unknown folder or file name counts as a missing file.
    char path[260] = {};
    BoundedCopy(path, sizeof(path), folder);
    BoundedAppend(path, sizeof(path), "\\");
    BoundedAppend(path, sizeof(path), moduleFile);
    if (folder[0] == '\0' || moduleFile[0] == '\0' || !Platform::FileExists(path)) {
        Platform::ShowFrameworkMessageBox(kMissingFileText);
        return kStartMissingFile;
    }
    m_hResModule = Platform::LoadResourceModule(path);
    if (m_hResModule == nullptr) {
        Platform::ShowFrameworkMessageBox(kModuleFailedText);
        return kStartMissingFile;
    }
    Platform::SetResourceModule(m_hResModule);

    // The string file, then the titles that are built from its texts.
    BoundedCopy(path, sizeof(path), folder);
    BoundedAppend(path, sizeof(path), "\\");
    BoundedAppend(path, sizeof(path), stringFile);
    if (stringFile[0] == '\0' || !Platform::FileExists(path)) {
        Platform::ShowFrameworkMessageBox(kMissingFileText);
        return kStartMissingFile;
    }
    // A damaged file ends start-up like a missing one, with the same fixed text: nothing else
    // can be said before there are texts.
    int loaded = StringTable::Load(path);
    if (loaded == StringTable::kLoadDamaged) Platform::ShowFrameworkMessageBox(kMissingFileText);
    if (loaded != StringTable::kLoadOk) return kStartStringFileFailed;

    VariantTable::LoadTitles();

    // The single-instance guard: the local mutex, then the global one.
    int status = TakeMutex(kLocalMutexName, &m_hLocalMutex);
    if (status == kStartContinue) status = TakeMutex(kGlobalMutexName, &m_hGlobalMutex);
    return status;
}

bool CQuilScanLinkApp::InitInstance(const char* commandLine)
{
    // A command-line mode shows no window and no message box: start-up failures end it with
    // kExitCannotStart alone.
    ParseCommandLine(commandLine);
    const bool commandLineMode = m_commandLineModes.mode != kNoCommandLineMode;
    if (commandLineMode) {
        Platform::SetMessageBoxesSilenced(true);
        m_nExitCode = kExitCannotStart;
    }

    // The common control classes, then the socket library that discovery and the address check use.
    Platform::InitCommonControlClasses();
    if (Platform::StartSocketLibrary() != 0) {
        Platform::ShowFrameworkMessageBox(kSocketsFailedText);
        lastStatus_ = kStartMissingFile;
        return false;
    }
    socketsStarted_ = true;

    lastStatus_ = StartUp(commandLine);
    if (commandLineMode) {
        if (lastStatus_ == kStartContinue) m_nExitCode = RunCommandLineMode(m_commandLineModes);
        return false;
    }
    if (lastStatus_ == kStartAlreadyRunning) {
        char text[1040] = {};
        StringTable::Get("STR_ERR_SLNK_DUAL_BOOT", text, sizeof(text));
        Platform::ShowMessageBox(nullptr, text, VariantTable::AppTitle().c_str(),
                                 Platform::kMbTopmost | Platform::kMbIconError);
        return false;
    }
    if (lastStatus_ != kStartContinue) return false;

    // The dialog flow; its result is not used.
    if (m_nLaunchMode == Standalone)
        RunStandaloneAddressDialog();
    else
        CommitConnection();
    return false;
}

int CQuilScanLinkApp::ExitInstance()
{
    if (m_hResModule != nullptr) {
        if (Platform::ResourceModule() == m_hResModule) Platform::SetResourceModule(nullptr);
        Platform::FreeResourceModule(m_hResModule);
        m_hResModule = nullptr;
    }
    if (socketsStarted_) {
        Platform::StopSocketLibrary();
        socketsStarted_ = false;
    }
    return m_nExitCode;
}
